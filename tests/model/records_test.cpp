// What each record collection's Add copies: the Lorvex collection shares the
// series, the Ostrel one snapshots everything, the Brevane one copies the
// header fields and shares the series. Also the field tables and the equality
// built on them.
#include <gtest/gtest.h>

#include <cmath>

#include <travimo/model/brevane_record.h>
#include <travimo/model/error.h>
#include <travimo/model/lorvex_record.h>
#include <travimo/model/ostrel_record.h>
#include "support/sample_records.h"

namespace travimo {
namespace {

using testing::Filled;

const SingleArray kNewSeries(0, {0.0f});
const SingleArray kScan(1, {1.0f, 2.0f, 3.0f});
const SingleArray kOther(0, {7.0f});

// Each table line reaches its own field: setting one changes that one alone,
// and equality sees it; a value of the wrong kind is refused.
template <class Record>
void CheckTable() {
  const auto& table = FieldTable<Record>();
  const Record before, filled = Filled<Record>();
  for (size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(table[i].Name());
    Record after;
    table[i].Set(after, table[i].Get(filled));
    EXPECT_TRUE(SameFieldValue(table[i].Get(after), table[i].Get(filled)));
    for (size_t k = 0; k < table.size(); ++k) {
      EXPECT_EQ(SameFieldValue(table[k].Get(after), table[k].Get(before)), k != i);
    }
    EXPECT_NE(after, before);
    const FieldValue wrongKind = table[i].IsSeries() ? FieldValue(1) : FieldValue(ScanDataPtr());
    EXPECT_THROW(table[i].Set(after, wrongKind), RuntimeError);
  }
}

// Add stores a new record; afterwards every field of the given one changes,
// its series in place, and the stored one follows only in the series it shares.
template <class Record>
void CheckAdd(bool sharesSeries, bool copiesScanNumber) {
  KeyedCollection<Record> collection;
  auto given = std::make_shared<Record>(Filled<Record>());
  const auto stored = collection.Add(given);
  ASSERT_NE(stored, given);
  ASSERT_NE(stored, collection.Add(given));
  Record expected = Filled<Record>();
  if (!copiesScanNumber) expected.ScanNumber(1);
  EXPECT_EQ(*stored, expected);
  const Record changed = Filled<Record>(50);
  for (const auto& field : FieldTable<Record>()) {
    if (!field.IsSeries()) {
      field.Set(*given, field.Get(changed));
    } else {
      const auto series = std::get<ScanDataPtr>(field.Get(changed))->ScanData();
      std::get<ScanDataPtr>(field.Get(*given))->ScanData(series);
      if (sharesSeries) field.Set(expected, field.Get(changed));
    }
  }
  EXPECT_EQ(*stored, expected);
}

TEST(RecordFieldsTest, EveryLineReachesItsOwnFieldAndCollectionsCopyWhatTheyShould) {
  CheckTable<CLorvexCls>();
  CheckTable<COstrelCls>();
  CheckTable<CBrevaneCls>();
  EXPECT_EQ(FindField<CBrevaneCls>("GradeNo")->Kind(), FieldKind::Long);
  EXPECT_EQ(FindField<COstrelCls>("BasisWeightValue")->Kind(), FieldKind::Text);
  EXPECT_EQ(FindField<CLorvexCls>("GradeNo"), nullptr);
  CheckAdd<CLorvexCls>(true, false);
  CheckAdd<COstrelCls>(false, true);
  CheckAdd<CBrevaneCls>(true, true);
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

TEST(RecordsTest, AddScanFilesIntoTheSeriesItsCodeOrFlagNames) {
  for (const int32_t type : {1, 2, 3, 0, 4, -1}) {
    CLorvexCls record;
    EXPECT_FALSE(record.AddScan(kScan, type));
    EXPECT_EQ(record.ScanData(), type == 1 ? kScan : kNewSeries) << type;
    EXPECT_EQ(record.TemperatureData(), type == 2 ? kScan : kNewSeries) << type;
    EXPECT_EQ(record.BurstData(), type == 3 ? kScan : kNewSeries) << type;
  }
  COstrelCls ostrel;
  EXPECT_FALSE(ostrel.AddScan(kScan));
  EXPECT_FALSE(ostrel.AddScan(kOther));
  EXPECT_EQ(ostrel.ScanData(), kOther);
  CBrevaneCls brevane;
  EXPECT_FALSE(brevane.AddScan(kScan, false));
  EXPECT_FALSE(brevane.AddScan(kOther, true));
  EXPECT_EQ(brevane.ScanData(), kScan);
  EXPECT_EQ(brevane.TempData(), kOther);
}

TEST(RecordsTest, ANullSeriesFailsItsPropertyAndTheCollectionsAdd) {
  CLorvexCls record;
  record.cScanTemp(nullptr);
  EXPECT_THROW((void)record.TemperatureData(), RuntimeError);
  EXPECT_THROW(record.TemperatureData(kScan), RuntimeError);
  EXPECT_EQ(record.ScanData(), kNewSeries);

  CLorvexColCls collection;
  EXPECT_THROW(collection.Add(std::make_shared<CLorvexCls>(record)), RuntimeError);
  EXPECT_EQ(collection.Count(), 0);
}

}  // namespace
}  // namespace travimo
