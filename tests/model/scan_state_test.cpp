#include <travimo/model/scan_state.h>

#include <gtest/gtest.h>

namespace travimo {
namespace {

TEST(SelectScanTest, AssignmentsMoveBetweenScansAndClampToTheCount) {
  ScanState state;
  state.lorvexCol = std::make_shared<CLorvexColCls>();
  for (int i = 0; i < 3; ++i) state.lorvexCol->Add(std::make_shared<CLorvexCls>());
  const auto ostrel = std::make_shared<COstrelCls>();
  state.ostrelData = ostrel;
  // Each assignment, then the scan number and position of the current record.
  const std::pair<int32_t, int32_t> steps[] = {{3, 3}, {1, 1},  {9, 3},        {0, 3},
                                               {2, 2}, {-4, 2}, {INT32_MAX, 3}};
  for (const auto& [assigned, scanNumber] : steps) {
    SelectScan(state, assigned);
    EXPECT_EQ(state.scanNumber, scanNumber) << "after " << assigned;
    EXPECT_EQ(state.lorvexData, state.lorvexCol->Item(scanNumber)) << "after " << assigned;
  }
  EXPECT_EQ(state.ostrelData, ostrel);  // only the current type's record changes

  state.travimoType = 7;  // no such type: the number is stored, nothing is selected
  const auto current = state.lorvexData;
  SelectScan(state, 2);
  EXPECT_EQ(state.scanNumber, 2);
  EXPECT_EQ(state.lorvexData, current);
}

// Without a collection, or with an empty one, the type's record is a new empty one.
TEST(SelectScanTest, WithoutScansEveryTypeGetsANewEmptyRecord) {
  for (const int32_t type : {Lorvex, Brevane, Ostrel}) {
    ScanState state;
    state.travimoType = type;
    SelectScan(state, 1);
    EXPECT_EQ(state.scanNumber, 1);
    EXPECT_EQ(state.lorvexData != nullptr, type == Lorvex);
    EXPECT_EQ(state.brevaneData != nullptr, type == Brevane);
    EXPECT_EQ(state.ostrelData != nullptr, type == Ostrel);
  }
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
    EXPECT_EQ(*state.ostrelData, COstrelCls());
  }
}

}  // namespace
}  // namespace travimo
