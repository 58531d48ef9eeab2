// What each record collection's Add copies: the Lorvex collection shares the
// series, the Ostrel one snapshots everything, the Brevane one copies the
// header fields and shares the series. Field-for-field copies are also checked
// by the parsers' encoder round trips, which read records back from collections.
#include <gtest/gtest.h>

#include "model/brevane_record.h"
#include "model/error.h"
#include "model/lorvex_record.h"
#include "model/ostrel_record.h"

namespace travimo {
namespace {

const SingleArray kNewSeries(0, {0.0f});
const SingleArray kScan(1, {1.0f, 2.0f, 3.0f});
const SingleArray kOther(0, {7.0f});

TEST(LorvexRecordTest, AddScanFilesIntoTheSeriesItsTypeCodeNames) {
  for (const int32_t type : {1, 2, 3, 0, 4, -1}) {
    CLorvexCls record;
    EXPECT_FALSE(record.AddScan(kScan, type));
    EXPECT_EQ(record.ScanData(), type == 1 ? kScan : kNewSeries) << type;
    EXPECT_EQ(record.TemperatureData(), type == 2 ? kScan : kNewSeries) << type;
    EXPECT_EQ(record.BurstData(), type == 3 ? kScan : kNewSeries) << type;
  }
}

TEST(LorvexRecordTest, ANullSeriesFailsItsPropertyAndTheCollectionsAdd) {
  CLorvexCls record;
  record.cScanTemp(nullptr);
  EXPECT_THROW((void)record.TemperatureData(), RuntimeError);
  EXPECT_THROW(record.TemperatureData(kScan), RuntimeError);
  EXPECT_EQ(record.ScanData(), kNewSeries);

  CLorvexColCls collection;
  EXPECT_THROW(collection.Add(std::make_shared<CLorvexCls>(record)), RuntimeError);
  EXPECT_EQ(collection.Count(), 0);
}

TEST(LorvexCollectionTest, AddSharesTheSeriesButNotTheScanNumber) {
  CLorvexColCls collection;
  auto given = std::make_shared<CLorvexCls>();
  given->ScanNumber(7);
  given->AddScan(kScan, 1);
  const auto stored = collection.Add(given);
  ASSERT_NE(stored, given);
  EXPECT_EQ(stored->ScanNumber(), 1);
  EXPECT_EQ(stored->cScanData(), given->cScanData());
  EXPECT_EQ(stored->cScanTemp(), given->cScanTemp());
  given->AddScan(kOther, 3);
  EXPECT_EQ(stored->BurstData(), kOther);
}

TEST(OstrelRecordTest, AddScanReplacesTheScan) {
  COstrelCls record;
  EXPECT_FALSE(record.AddScan(kScan));
  EXPECT_FALSE(record.AddScan(kOther));
  EXPECT_EQ(record.ScanData(), kOther);
}

TEST(OstrelCollectionTest, AddStoresASnapshotSharingNothing) {
  COstrelColCls collection;
  auto given = std::make_shared<COstrelCls>();
  given->CalibrationConstantA("A1234");
  given->ScanNumber(7);
  given->AddScan(kScan);
  const auto stored = collection.Add(given);
  ASSERT_NE(stored, given);
  ASSERT_NE(stored, collection.Add(given));
  EXPECT_NE(stored->cScanData(), given->cScanData());

  given->AddScan(kOther);
  given->CalibrationConstantA("Z9999");
  given->ScanNumber(8);
  EXPECT_EQ(stored->ScanData(), kScan);
  EXPECT_EQ(stored->CalibrationConstantA(), "A1234");
  EXPECT_EQ(stored->ScanNumber(), 7);
}

TEST(BrevaneRecordTest, AddScanChoosesTheSeriesByTheTemperatureFlag) {
  CBrevaneCls record;
  EXPECT_FALSE(record.AddScan(kScan, false));
  EXPECT_FALSE(record.AddScan(kOther, true));
  EXPECT_EQ(record.ScanData(), kScan);
  EXPECT_EQ(record.TempData(), kOther);
}

TEST(BrevaneCollectionTest, AddCopiesTheFieldsAndSharesTheSeries) {
  CBrevaneColCls collection;
  auto given = std::make_shared<CBrevaneCls>();
  given->IDCode("ID-7");
  given->ScanNumber(3);
  given->GradeNo(4);  // no transfer sets it, so no round trip checks its copy
  given->AddScan(kScan, false);
  const auto stored = collection.Add(given);
  ASSERT_NE(stored, given);
  EXPECT_EQ(stored->ScanNumber(), 3);
  EXPECT_EQ(stored->GradeNo(), 4);

  given->IDCode("changed");
  given->AddScan(kOther, false);
  EXPECT_EQ(stored->IDCode(), "ID-7");
  EXPECT_EQ(stored->ScanData(), kOther);
  EXPECT_EQ(stored->cScanTemp(), given->cScanTemp());
}

}  // namespace
}  // namespace travimo
