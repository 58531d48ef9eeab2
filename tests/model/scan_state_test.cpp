#include "model/scan_state.h"

#include <gtest/gtest.h>

namespace travimo {
namespace {

TEST(ScanStateTest, NewStateHoldsTheInitialValues) {
  const ScanState state;
  EXPECT_EQ(state.scanNumber, 1);
  EXPECT_EQ(state.numberOfScans, 0);
  EXPECT_EQ(state.arrayStart, 1);
  EXPECT_EQ(state.numberOfPoints, 512);
  EXPECT_EQ(state.pointLimit, 512);
  EXPECT_EQ(state.travimoType, Lorvex);
  EXPECT_EQ(state.blueLineTrigger, BlueLineAuto);
  EXPECT_EQ(state.currentScanDataType, "A");
  EXPECT_EQ(state.scanTypeLetters.UpperBound() - state.scanTypeLetters.LowerBound(), 0);
  EXPECT_EQ(state.lorvexCol, nullptr);
  EXPECT_EQ(state.lorvexData, nullptr);
}

class SelectScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_.lorvexCol = std::make_shared<CLorvexColCls>();
    for (int i = 0; i < 3; ++i) state_.lorvexCol->Add(std::make_shared<CLorvexCls>());
    SelectScan(state_, 3);
  }

  ScanState state_;
};

TEST_F(SelectScanTest, AssignmentsMoveBetweenScansAndClampToTheCount) {
  struct Step {
    int32_t assigned;
    int32_t scanNumber;  // afterwards; also the position of the current record
  };
  const std::vector<Step> steps = {
      {3, 3}, {1, 1}, {9, 3}, {0, 3}, {2, 2}, {-4, 2}, {INT32_MAX, 3},
  };
  for (const Step& s : steps) {
    SelectScan(state_, s.assigned);
    EXPECT_EQ(state_.scanNumber, s.scanNumber) << "after " << s.assigned;
    EXPECT_EQ(state_.lorvexData, state_.lorvexCol->Item(s.scanNumber)) << "after " << s.assigned;
  }
}

TEST_F(SelectScanTest, OnlyTheCurrentTypesRecordChanges) {
  const auto ostrel = std::make_shared<COstrelCls>();
  state_.ostrelData = ostrel;
  SelectScan(state_, 1);
  EXPECT_EQ(state_.ostrelData, ostrel);

  state_.travimoType = 7;  // no such type: the number is stored, nothing is selected
  const auto current = state_.lorvexData;
  SelectScan(state_, 2);
  EXPECT_EQ(state_.scanNumber, 2);
  EXPECT_EQ(state_.lorvexData, current);
}

TEST(SelectScanWithoutCollectionTest, EveryTypeGetsANewEmptyRecord) {
  for (const int32_t type : {Lorvex, Brevane, Ostrel}) {
    ScanState state;
    state.travimoType = type;
    SelectScan(state, 1);
    EXPECT_EQ(state.scanNumber, 1);
    EXPECT_EQ(state.lorvexData != nullptr, type == Lorvex);
    EXPECT_EQ(state.brevaneData != nullptr, type == Brevane);
    EXPECT_EQ(state.ostrelData != nullptr, type == Ostrel);
  }
}

TEST(SelectScanEmptyCollectionTest, AnyAssignmentGivesANewRecordAndScanNumberZero) {
  ScanState state;
  state.travimoType = Ostrel;
  state.ostrelCol = std::make_shared<COstrelColCls>();
  const auto previous = std::make_shared<COstrelCls>();
  for (const int32_t assigned : {5, 0, 1}) {
    state.ostrelData = previous;
    SelectScan(state, assigned);
    EXPECT_EQ(state.scanNumber, 0);
    ASSERT_NE(state.ostrelData, nullptr);
    EXPECT_NE(state.ostrelData, previous);
    EXPECT_EQ(state.ostrelData->ScanNumber(), 1);
  }
}

}  // namespace
}  // namespace travimo
