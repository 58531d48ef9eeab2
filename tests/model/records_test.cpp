// What each record collection's Add copies: the Lorvex collection shares the
// series, the Ostrel one snapshots everything, the Brevane one copies the
// header fields and shares the series. Also the field tables and the equality
// built on them.
#include <gtest/gtest.h>

#include <cmath>

#include "model/brevane_record.h"
#include "model/error.h"
#include "model/lorvex_record.h"
#include "model/ostrel_record.h"

namespace travimo {
namespace {

const SingleArray kNewSeries(0, {0.0f});
const SingleArray kScan(1, {1.0f, 2.0f, 3.0f});
const SingleArray kOther(0, {7.0f});

// A value of the field's kind that differs for every n.
FieldValue Sample(FieldKind kind, int n) {
  switch (kind) {
    case FieldKind::Text:
      return "text " + std::to_string(n);
    case FieldKind::Long:
      return int32_t{1000 + n};
    case FieldKind::Single:
      return 0.5f + static_cast<float>(n);
    case FieldKind::Date:
      return Date(40000.25 + n);
    case FieldKind::Series:
      return std::make_shared<CScanDataCls>();
  }
  return {};
}

// Each table line reaches its own field: setting one changes that one alone,
// and equality sees it.
template <class Record>
void CheckTable() {
  const auto& table = FieldTable<Record>();
  for (size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(table[i].Name());
    const Record before;
    Record after;
    FieldValue value = Sample(table[i].Kind(), static_cast<int>(i));
    if (table[i].IsSeries()) std::get<ScanDataPtr>(value)->ScanData(SingleArray(0, {i + 1.0f}));
    table[i].Set(after, value);
    EXPECT_TRUE(SameFieldValue(table[i].Get(after), value));
    for (size_t k = 0; k < table.size(); ++k) {
      EXPECT_EQ(SameFieldValue(table[k].Get(after), table[k].Get(before)), k != i);
    }
    EXPECT_NE(after, before);
    const FieldValue wrongKind = table[i].IsSeries() ? FieldValue(1) : FieldValue(ScanDataPtr());
    EXPECT_THROW(table[i].Set(after, wrongKind), RuntimeError);
  }
}

TEST(RecordFieldsTest, EveryLineReachesItsOwnFieldAndCountsForEquality) {
  CheckTable<CLorvexCls>();
  CheckTable<COstrelCls>();
  CheckTable<CBrevaneCls>();
  EXPECT_EQ(FindField<CBrevaneCls>("GradeNo")->Kind(), FieldKind::Long);
  EXPECT_EQ(FindField<COstrelCls>("BasisWeightValue")->Kind(), FieldKind::Text);
  EXPECT_EQ(FindField<CLorvexCls>("GradeNo"), nullptr);
}

TEST(RecordFieldsTest, SeriesCompareByValueWithBoundsAndNaNEqualsNaN) {
  const float nan = std::nanf("");
  struct Case {
    SingleArray a, b;
    bool same;
  };
  for (const Case& c : {Case{kScan, kScan, true}, Case{kScan, SingleArray(0, {1, 2, 3}), false},
                        Case{kScan, SingleArray(1, {1, 2}), false},
                        Case{SingleArray(0, {nan}), SingleArray(0, {nan}), true}}) {
    COstrelCls a, b;
    a.AddScan(c.a);
    b.AddScan(c.b);
    EXPECT_EQ(a == b, c.same);
  }
  COstrelCls a, b;
  b.cScanData(nullptr);
  EXPECT_NE(a, b);
  a.cScanData(nullptr);
  EXPECT_EQ(a, b);
}

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
  EXPECT_EQ(*stored, *given);
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
  given->GradeNo(4);
  given->AddScan(kScan, false);
  const auto stored = collection.Add(given);
  ASSERT_NE(stored, given);
  EXPECT_EQ(*stored, *given);

  given->IDCode("changed");
  given->AddScan(kOther, false);
  EXPECT_EQ(stored->IDCode(), "ID-7");
  EXPECT_EQ(stored->ScanData(), kOther);
  EXPECT_EQ(stored->cScanTemp(), given->cScanTemp());
}

}  // namespace
}  // namespace travimo
