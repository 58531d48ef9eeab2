// The records and their collections: what each collection's Add copies (the
// Lorvex one shares the series, the Ostrel one snapshots everything, the
// Brevane one copies the header fields and shares the series), the field
// tables and the equality built on them, the series, and the selection of
// the current record.
#include <gtest/gtest.h>

#include <cmath>

#include <travimo/model/brevane_record.h>
#include <travimo/model/error.h>
#include <travimo/model/keyed_collection.h>
#include <travimo/model/lorvex_record.h>
#include <travimo/model/ostrel_record.h>
#include <travimo/model/scan_data.h>
#include <travimo/model/scan_data_collection.h>
#include <travimo/model/scan_state.h>
#include "support/caught_error.h"
#include "support/sample_records.h"

namespace travimo {
namespace {

using testing::ErrorOf;
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
  CheckAdd<CLorvexCls>(true, false);
  CheckAdd<COstrelCls>(false, true);
  CheckAdd<CBrevaneCls>(true, true);
}

TEST(RecordFieldsTest, SeriesCompareByValueWithBoundsAndNaNEqualsNaN) {
  const float nan = std::nanf("");
  const std::tuple<SingleArray, SingleArray, bool> cases[] = {
      {kScan, kScan, true}, {kScan, SingleArray(0, {1, 2, 3}), false},
      {kScan, SingleArray(1, {1, 2}), false}, {SingleArray(0, {nan}), SingleArray(0, {nan}), true}};
  for (const auto& [first, second, same] : cases) {
    COstrelCls a, b;
    a.AddScan(first);
    b.AddScan(second);
    EXPECT_EQ(a == b, same);
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
  EXPECT_FALSE(ostrel.AddScan(kScan) || ostrel.AddScan(kOther));  // the later one replaces
  CBrevaneCls brevane;
  EXPECT_FALSE(brevane.AddScan(kScan, false) || brevane.AddScan(kOther, true));
  EXPECT_EQ(std::tuple(ostrel.ScanData(), brevane.ScanData(), brevane.TempData()),
            std::tuple(kOther, kScan, kOther));
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

ScanDataPtr Series(float value) {
  auto series = std::make_shared<CScanDataCls>();
  series->ScanData(SingleArray(0, {value}));
  return series;
}

class KeyedCollectionTest : public ::testing::Test {
 protected:
  CScanDataColCls collection_;
  ScanDataPtr first_ = collection_.Add(Series(1.0f));
  ScanDataPtr second_ = collection_.Add(Series(2.0f), "two");
  ScanDataPtr third_ = collection_.Add(Series(3.0f), "three");
};

TEST_F(KeyedCollectionTest, MissingPositionsAndKeysGiveNullAndRemoveFails) {
  EXPECT_EQ(collection_.Item(3), third_);
  EXPECT_EQ(collection_.Item(std::string("two")), second_);
  const int32_t outside = ErrorNumber::SubscriptOutOfRange, unknown = ErrorNumber::InvalidArgument;
  const std::pair<IndexKey, int32_t> cases[] = {{0, outside}, {4, outside}, {-1, outside},
      {std::string("missing"), unknown}, {std::string(""), unknown}};
  for (const auto& [key, removeError] : cases) {
    EXPECT_EQ(collection_.Item(key), nullptr);
    EXPECT_EQ(ErrorOf([&] { collection_.Remove(key); }), removeError);
    EXPECT_EQ(collection_.Count(), 3);
  }
}

// The same object added twice gives two unkeyed members; a failed add appends nothing.
TEST_F(KeyedCollectionTest, AddsCopyAndFailedAddsAppendNothing) {
  const auto given = Series(4.0f);
  const auto unkeyed = collection_.Add(given);
  EXPECT_NE(unkeyed, given);
  EXPECT_NE(unkeyed, collection_.Add(given, ""));
  EXPECT_EQ(collection_.Item(std::string("")), nullptr);
  given->ScanData(SingleArray(3, {9.0f}));
  EXPECT_EQ(unkeyed->ScanData(), SingleArray(0, {4.0f}));  // an independent copy
  EXPECT_EQ(ErrorOf([&] { collection_.Add(Series(9.0f), "two"); }), ErrorNumber::DuplicateKey);
  EXPECT_THROW(collection_.Add(nullptr), RuntimeError);
  EXPECT_EQ(collection_.Count(), 5);
  EXPECT_EQ(collection_.Item(std::string("two"))->ElementData(0), 2.0f);
}

// Members come in order; removal closes up the positions; members outlive
// their removal and their collection.
TEST_F(KeyedCollectionTest, EnumerationRemovalAndMembersLifetime) {
  auto enumerator = collection_.NewEnum();
  for (const auto& expected : {first_, second_, third_}) EXPECT_EQ(enumerator.Next(), expected);
  EXPECT_EQ(enumerator.Next(), nullptr);
  enumerator.Reset();
  EXPECT_EQ(enumerator.Next(), first_);
  ScanDataPtr kept;
  {
    CScanDataColCls collection;
    kept = collection.Add(Series(8.0f));
  }
  EXPECT_EQ(kept->ElementData(0), 8.0f);
  collection_.Remove(1);
  EXPECT_EQ(collection_.Item(1), second_);
  collection_.Remove(std::string("three"));
  EXPECT_EQ(collection_.Count(), 1);
  EXPECT_EQ(std::pair(first_->ElementData(0), third_->ElementData(0)), std::pair(1.0f, 3.0f));
  collection_.Add(Series(5.0f), "three");  // a removed key can be used again
  EXPECT_EQ(collection_.Item(std::string("three"))->ElementData(0), 5.0f);
}

TEST(SeriesTest, BoundsCutOutOfRangeAccessAndCopies) {
  SingleArray array(5, {1.0f, 2.0f, 3.0f});
  EXPECT_EQ(array.UpperBound(), 7);
  EXPECT_EQ(SingleArray(1, 0).Size(), 0);  // empty: upper one below lower
  array.CutTo(6);
  EXPECT_EQ(array, SingleArray(5, {1.0f, 2.0f}));

  EXPECT_EQ(ErrorOf([] { SingleArray(1, -1); }), ErrorNumber::SubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { (void)SingleArray(5, {1.0f}).At(4); }), ErrorNumber::SubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { SingleArray(5, {1.0f}).Set(6, 0.0f); }), ErrorNumber::SubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { SingleArray(5, {1.0f}).CutTo(4); }), ErrorNumber::SubscriptOutOfRange);

  // A series' every read and write is a copy with its bounds; elements outside them are 0.
  const SingleArray sent(1, std::vector<float>(512, 7.0f));
  SingleArray given = sent;
  CScanDataCls byLet;
  byLet.ScanData(given);
  CScanDataCls byPass;
  EXPECT_FALSE(byPass.PassScanData(given));
  given.Set(1, 99.0f);

  for (CScanDataCls* series : {&byLet, &byPass}) {
    SingleArray read = series->ScanData();
    EXPECT_EQ(read, sent);
    read.Set(2, 55.0f);
    EXPECT_EQ(series->ElementData(2), 7.0f);
    for (const int32_t outside : {0, 513, INT32_MIN, INT32_MAX})
      EXPECT_EQ(series->ElementData(outside), 0.0f) << outside;
  }
}

TEST(SelectScanTest, AssignmentsMoveBetweenScansClampToTheCountOrMakeANewRecord) {
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
  EXPECT_EQ(std::pair(state.scanNumber, state.lorvexData), std::pair(2, current));

  // Without a collection, or with an empty one, the type's record is a new empty one.
  for (const int32_t type : {Lorvex, Brevane, Ostrel}) {
    state = {};
    state.travimoType = type;
    SelectScan(state, 1);
    EXPECT_EQ(std::tuple(state.scanNumber, state.lorvexData != nullptr,
                         state.brevaneData != nullptr, state.ostrelData != nullptr),
              std::tuple(1, type == Lorvex, type == Brevane, type == Ostrel));
  }
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
