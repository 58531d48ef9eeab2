// The three record classes and what their collections' Add copies: the Lorvex
// collection shares the series, the Ostrel one snapshots everything, the
// Brevane one copies the header fields and shares the series.
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

TEST(LorvexRecordTest, NewRecordHasThreeNewSeriesAndScanNumberOne) {
  const CLorvexCls record;
  EXPECT_EQ(record.ScanNumber(), 1);
  EXPECT_EQ(record.ScanData(), kNewSeries);
  EXPECT_EQ(record.TemperatureData(), kNewSeries);
  EXPECT_EQ(record.BurstData(), kNewSeries);
  EXPECT_NE(record.cScanData(), record.cScanTemp());
}

TEST(LorvexRecordTest, AddScanFilesIntoTheSeriesItsTypeCodeNames) {
  struct Case {
    int32_t type;
    bool moisture, temperature, burst;
  };
  const std::vector<Case> cases = {
      {1, true, false, false},  {2, false, true, false},  {3, false, false, true},
      {0, false, false, false}, {4, false, false, false}, {-1, false, false, false},
  };
  for (const Case& c : cases) {
    CLorvexCls record;
    EXPECT_FALSE(record.AddScan(kScan, c.type));
    EXPECT_EQ(record.ScanData(), c.moisture ? kScan : kNewSeries) << c.type;
    EXPECT_EQ(record.TemperatureData(), c.temperature ? kScan : kNewSeries) << c.type;
    EXPECT_EQ(record.BurstData(), c.burst ? kScan : kNewSeries) << c.type;
  }
}

TEST(LorvexRecordTest, DataPropertyOfANullSeriesFails) {
  CLorvexCls record;
  record.cScanTemp(nullptr);
  EXPECT_THROW((void)record.TemperatureData(), RuntimeError);
  EXPECT_THROW(record.TemperatureData(kScan), RuntimeError);
  EXPECT_EQ(record.ScanData(), kNewSeries);
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
  EXPECT_EQ(stored->cScanBurst(), given->cScanBurst());
  given->AddScan(kOther, 3);
  EXPECT_EQ(stored->BurstData(), kOther);
  EXPECT_EQ(stored->ScanData(), kScan);
}

TEST(LorvexCollectionTest, AddOfARecordWithANullSeriesFailsAndAppendsNothing) {
  CLorvexColCls collection;
  auto given = std::make_shared<CLorvexCls>();
  given->cScanBurst(nullptr);
  EXPECT_THROW(collection.Add(given), RuntimeError);
  EXPECT_EQ(collection.Count(), 0);
}

COstrelCls FilledOstrel() {
  COstrelCls record;
  record.CalibrationConstantA("A1234");
  record.CalibrationConstantB("00456");
  record.BasisWeightValue("012.345");
  record.MeasurementNumber(3);
  record.SamplingRate(5);
  record.DateTime(Date(45366.4375));
  record.ScanNumber(7);
  record.AddScan(kScan);
  return record;
}

void ExpectSameOstrelFields(const COstrelCls& a, const COstrelCls& b) {
  EXPECT_EQ(a.CalibrationConstantA(), b.CalibrationConstantA());
  EXPECT_EQ(a.CalibrationConstantB(), b.CalibrationConstantB());
  EXPECT_EQ(a.BasisWeightValue(), b.BasisWeightValue());
  EXPECT_EQ(a.MeasurementNumber(), b.MeasurementNumber());
  EXPECT_EQ(a.SamplingRate(), b.SamplingRate());
  EXPECT_EQ(a.DateTime(), b.DateTime());
  EXPECT_EQ(a.ScanNumber(), b.ScanNumber());
  EXPECT_EQ(a.ScanData(), b.ScanData());
}

TEST(OstrelRecordTest, NewRecordAndAddScanReplacingTheScan) {
  COstrelCls record;
  EXPECT_EQ(record.ScanNumber(), 1);
  EXPECT_EQ(record.MeasurementNumber(), 0);
  EXPECT_EQ(record.DateTime(), Date(0.0));
  EXPECT_EQ(record.ScanData(), kNewSeries);
  EXPECT_FALSE(record.AddScan(kScan));
  EXPECT_FALSE(record.AddScan(kOther));
  EXPECT_EQ(record.ScanData(), kOther);
}

TEST(OstrelCollectionTest, AddStoresASnapshotSharingNothing) {
  COstrelColCls collection;
  auto given = std::make_shared<COstrelCls>(FilledOstrel());
  const auto stored = collection.Add(given);
  const auto again = collection.Add(given);

  ASSERT_NE(stored, given);
  ASSERT_NE(stored, again);
  ExpectSameOstrelFields(*stored, *given);
  EXPECT_NE(stored->cScanData(), given->cScanData());

  given->AddScan(kOther);
  given->CalibrationConstantA("Z9999");
  given->ScanNumber(8);
  ExpectSameOstrelFields(*stored, FilledOstrel());
}

CBrevaneCls FilledBrevane() {
  CBrevaneCls record;
  record.TypeOfMeasuringHead("F");
  record.MeasurementNumber(12);
  record.IDCode("ID-7");
  record.DateTime(Date(45366.5));
  record.BasisWeightValue(80.5f);
  record.BasisWeightUnit("g/m2");
  record.TypeOfBasisWeight("dry");
  record.SamplingRate(2.5f);
  record.GradeNo(4);
  record.CalibrationConstantA("A1");
  record.CalibrationConstantB("B2");
  record.MoistureUnit("%");
  record.TemperatureUnit("C");
  record.ScanNumber(3);
  record.AddScan(kScan, false);
  return record;
}

TEST(BrevaneRecordTest, AddScanChoosesTheSeriesByTheTemperatureFlag) {
  CBrevaneCls record;
  EXPECT_EQ(record.ScanNumber(), 0);
  EXPECT_FALSE(record.AddScan(kScan, false));
  EXPECT_FALSE(record.AddScan(kOther, true));
  EXPECT_EQ(record.ScanData(), kScan);
  EXPECT_EQ(record.TempData(), kOther);
}

TEST(BrevaneCollectionTest, AddCopiesTheFieldsAndSharesTheSeries) {
  CBrevaneColCls collection;
  auto given = std::make_shared<CBrevaneCls>(FilledBrevane());
  const auto stored = collection.Add(given);
  ASSERT_NE(stored, given);

  const CBrevaneCls expected = FilledBrevane();
  EXPECT_EQ(stored->TypeOfMeasuringHead(), expected.TypeOfMeasuringHead());
  EXPECT_EQ(stored->MeasurementNumber(), expected.MeasurementNumber());
  EXPECT_EQ(stored->IDCode(), expected.IDCode());
  EXPECT_EQ(stored->DateTime(), expected.DateTime());
  EXPECT_EQ(stored->BasisWeightValue(), expected.BasisWeightValue());
  EXPECT_EQ(stored->BasisWeightUnit(), expected.BasisWeightUnit());
  EXPECT_EQ(stored->TypeOfBasisWeight(), expected.TypeOfBasisWeight());
  EXPECT_EQ(stored->SamplingRate(), expected.SamplingRate());
  EXPECT_EQ(stored->GradeNo(), expected.GradeNo());
  EXPECT_EQ(stored->CalibrationConstantA(), expected.CalibrationConstantA());
  EXPECT_EQ(stored->CalibrationConstantB(), expected.CalibrationConstantB());
  EXPECT_EQ(stored->MoistureUnit(), expected.MoistureUnit());
  EXPECT_EQ(stored->TemperatureUnit(), expected.TemperatureUnit());
  EXPECT_EQ(stored->ScanNumber(), expected.ScanNumber());

  // Fields are values; series are shared.
  given->IDCode("changed");
  given->AddScan(kOther, false);
  EXPECT_EQ(stored->IDCode(), "ID-7");
  EXPECT_EQ(stored->ScanData(), kOther);
  EXPECT_EQ(stored->cScanTemp(), given->cScanTemp());
}

}  // namespace
}  // namespace travimo
