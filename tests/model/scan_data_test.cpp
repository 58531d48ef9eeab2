#include <travimo/model/scan_data.h>

#include <gtest/gtest.h>

#include <travimo/model/error.h>
#include "support/caught_error.h"

namespace travimo {
namespace {

using testing::ErrorOf;

TEST(SingleArrayTest, BoundsCutAndOutOfRangeAccess) {
  SingleArray array(5, {1.0f, 2.0f, 3.0f});
  EXPECT_EQ(array.UpperBound(), 7);
  EXPECT_EQ(SingleArray(1, 0).Size(), 0);  // empty: upper one below lower
  array.CutTo(6);
  EXPECT_EQ(array, SingleArray(5, {1.0f, 2.0f}));

  EXPECT_EQ(ErrorOf([] { SingleArray(1, -1); }), ErrorNumber::SubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { (void)SingleArray(5, {1.0f}).At(4); }), ErrorNumber::SubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { SingleArray(5, {1.0f}).Set(6, 0.0f); }), ErrorNumber::SubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { SingleArray(5, {1.0f}).CutTo(4); }), ErrorNumber::SubscriptOutOfRange);
}

// Every read and write is a copy with its bounds; elements outside them are 0.
TEST(ScanDataTest, ReadsAndWritesCopy) {
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
    for (const int32_t outside : {0, 513, INT32_MIN, INT32_MAX})
      EXPECT_EQ(series->ElementData(outside), 0.0f) << outside;
  }
}

}  // namespace
}  // namespace travimo
