#include "model/scan_data.h"

#include <gtest/gtest.h>

#include "model/error.h"
#include "model/scan_data_collection.h"

namespace travimo {
namespace {

int32_t ErrorOf(void (*action)()) {
  try {
    action();
  } catch (const RuntimeError& error) {
    return error.Number();
  }
  return 0;
}

TEST(SingleArrayTest, BoundsAndOutOfRangeAccess) {
  const SingleArray array(5, {1.0f, 2.0f, 3.0f});
  EXPECT_EQ(array.LowerBound(), 5);
  EXPECT_EQ(array.UpperBound(), 7);
  EXPECT_EQ(SingleArray(1, 0).Size(), 0);  // empty: upper one below lower

  EXPECT_EQ(ErrorOf([] { SingleArray(1, -1); }), ErrorNumber::SubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { (void)SingleArray(5, {1.0f}).At(4); }), ErrorNumber::SubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { SingleArray(5, {1.0f}).Set(6, 0.0f); }), ErrorNumber::SubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { SingleArray(5, {1.0f}).CutTo(4); }), ErrorNumber::SubscriptOutOfRange);
}

TEST(SingleArrayTest, CutToKeepsTheValuesItCovers) {
  SingleArray array(1, {1.0f, 2.0f, 3.0f});
  array.CutTo(2);
  EXPECT_EQ(array, SingleArray(1, {1.0f, 2.0f}));
}

TEST(ScanDataTest, NewSeriesHoldsOneZeroAtIndexZero) {
  const CScanDataCls series;
  EXPECT_EQ(series.ScanData(), SingleArray(0, {0.0f}));
  EXPECT_EQ(series.ElementData(0), 0.0f);
}

TEST(ScanDataTest, ElementDataOutsideTheBoundsIsZero) {
  CScanDataCls series;
  series.ScanData(SingleArray(5, {1.5f, 2.5f, 3.5f}));
  struct Case {
    int32_t index;
    float expected;
  };
  for (const Case c : {Case{4, 0.0f}, Case{5, 1.5f}, Case{7, 3.5f}, Case{8, 0.0f},
                       Case{INT32_MIN, 0.0f}, Case{INT32_MAX, 0.0f}}) {
    EXPECT_EQ(series.ElementData(c.index), c.expected) << c.index;
  }
}

TEST(ScanDataTest, EveryReadAndWriteIsACopyWithItsBounds) {
  SingleArray given(1, std::vector<float>(512, 7.0f));
  CScanDataCls byLet;
  byLet.ScanData(given);
  CScanDataCls byPass;
  EXPECT_FALSE(byPass.PassScanData(given));
  given.Set(1, 99.0f);

  for (CScanDataCls* series : {&byLet, &byPass}) {
    SingleArray read = series->ScanData();
    EXPECT_EQ(read.LowerBound(), 1);
    EXPECT_EQ(read.UpperBound(), 512);
    EXPECT_EQ(read.At(1), 7.0f);
    read.Set(2, 55.0f);
    EXPECT_EQ(series->ElementData(2), 7.0f);
  }
}

TEST(ScanDataCollectionTest, AddStoresAnIndependentCopy) {
  CScanDataColCls collection;
  auto given = std::make_shared<CScanDataCls>();
  given->ScanData(SingleArray(1, {1.0f, 2.0f}));
  const auto stored = collection.Add(given);
  ASSERT_NE(stored, given);
  given->ScanData(SingleArray(3, {9.0f}));
  EXPECT_EQ(stored->ScanData(), SingleArray(1, {1.0f, 2.0f}));
  EXPECT_EQ(collection.Item(1), stored);
}

}  // namespace
}  // namespace travimo
