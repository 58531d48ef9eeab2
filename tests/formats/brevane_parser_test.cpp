#include "formats/brevane_parser.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "formats/conversions.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include "support/caught_error.h"
#include "support/fake_parse_context.h"
#include "support/named_fields.h"
#include "support/sample_records.h"

namespace travimo {
namespace {

using testing::FakeParseContext;

// The lines joined, each ended by CR LF.
std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

// One measurement's lines between "00# F" and "Z", in a whole transfer.
std::string Measurement(const std::vector<std::string>& body) {
  std::vector<std::string> lines = {"S", "00# F"};
  lines.insert(lines.end(), body.begin(), body.end());
  lines.insert(lines.end(), {"Z", "E"});
  return Lines(lines);
}

// A record as the parser stores it: head "F", the moisture values, and the
// fields named.
CBrevaneCls Measured(std::vector<float> moisture,
                     std::initializer_list<std::pair<std::string_view, FieldValue>> fields = {}) {
  CBrevaneCls record = testing::WithFields<CBrevaneCls>(fields);
  record.TypeOfMeasuringHead("F");
  record.ScanData(SingleArray(0, std::move(moisture)));
  return record;
}

// A transfer, the records it stores, the measurements it counts, the last
// value index, and the failure code (0: it parses).
struct Row {
  std::string text;
  std::vector<CBrevaneCls> stored;
  int32_t counted = 1;
  int32_t points = 0;
  int32_t code = 0;
  bool decimalComma = false;
};

TEST(BrevaneParser, Transfers) {
  const float inf = std::numeric_limits<float>::infinity();
  const auto date = [](int y, int m, int d, int h = 0, int mi = 0) {
    return FieldValue(Date::FromCalendar(y, m, d, h, mi, 0));
  };
  const CBrevaneCls example = Measured({1.5f, 2.0f}, {{"ScanNumber", 1}});
  std::string longest = Lines({"S", "00# F"});
  for (int i = 0; i <= 32768; ++i) longest += "1\r";
  const Row rows[] = {
      {Lines({"S", "00# F", "01# 1", "M", "1.5", "2", "V", "20", "Z", "E"}), {example}, 1, 1},
      {"S\r00# F\r01# 1\rM\r1.5\r2\rV\r20\rZ\rE\r", {example}, 1, 1},  // CR alone
      // Values are read leniently; "V" skips up to "Z", "M" after it included.
      {Measurement({"1", "", "2"}), {Measured({1, 0, 2})}, 1, 2},
      {Measurement({"12.5 %"}), {Measured({12.5f})}},
      {Measurement({"7", "M", "8"}), {Measured({7, 8})}, 1, 1},
      {Measurement({"1", "V", "2", "3"}), {Measured({1})}},
      {Measurement({"1", "V", "M", "2"}), {Measured({1})}},
      {Measurement({"9E99", "-1E40"}), {Measured({inf, -inf})}, 1, 1},
      {Measurement({"m", "v", "e", "z", "4"}), {Measured({0, 0, 0, 0, 4})}, 1, 4},
      // Tags: whole numbers round half to even; text is kept as it stands;
      // an unreadable or empty date or rate keeps the value before.
      {Measurement({"01#x3.5", "02# -2.5", "03# ID 7 ", "04# 03/15/2024 10:30", "05# 2.5", "06# g",
                    "07# a", "08# 2.5", "09# c", "10# d", "11# e", "12# f", "13# no", "1"}),
       {Measured({1}, {{"ScanNumber", 4}, {"MeasurementNumber", -2}, {"IDCode", "ID 7 "},
                       {"DateTime", date(2024, 3, 15, 10, 30)}, {"BasisWeightValue", 2.5f},
                       {"BasisWeightUnit", "g"}, {"TypeOfBasisWeight", "a"}, {"SamplingRate", 2.5f},
                       {"CalibrationConstantA", "c"}, {"CalibrationConstantB", "d"},
                       {"MoistureUnit", "e"}, {"TemperatureUnit", "f"}})}},
      {Measurement({"04# 1/1/2000", "08# 3", "04# letters", "08# letters", "04# 02/30/2024 11:45",
                    "04# 13/01/2024 11:45", "01# 2.5", "03#", "05#", "02# ", "04#", "08#", "1"}),
       {Measured({1}, {{"DateTime", date(2000, 1, 1)}, {"SamplingRate", 3.f}, {"ScanNumber", 2}})}},
      // Regional settings apply to the sampling rate alone.
      {Measurement({"05# 2,5", "08# 2,5", "1"}),
       {Measured({1}, {{"BasisWeightValue", 2.0f}, {"SamplingRate", 2.5f}})}, 1, 0, 0, true},
      // Measurements never closed are counted but not stored.
      {Lines({"S", "00# F", "1", "E"}), {}},
      {Lines({"S", "00# F", "1", "E", "Z", "E"}), {}},  // E before Z
      {Lines({"S", "00# F", "1", "00# F", "2", "E"}), {}, 2},
      {"S\r00# F\r1\rZ", {}},                       // the last line lacks its CR
      {longest + Lines({"Z", "E"}), {}, 1, 32768},  // the 32769th value ends the parse
      // Each closed measurement keeps its own values, even when closed twice.
      {Lines({"S", "00# F", "1", "2", "00# F", "3", "Z", "00# F", "4", "V", "00# F", "5", "Z"}),
       {Measured({3}), Measured({5})}, 4},  // no "E": the text simply ends
      {Lines({"S", "00# F", "1", "2", "Z", "3", "Z", "E"}), {Measured({1, 2}), Measured({3})}},
      // Failures keep what was closed before them and the count so far. Tag 0
      // must follow the "S"; CR alone ends lines like CR LF, LF alone does not.
      {"S\r01# 1\r", {}, 0, NoLimit, InvalidBrevaneDataError},
      {"", {}, 0, NoLimit, InvalidBrevaneDataError},
      {"S", {}, 0, NoLimit, InvalidBrevaneDataError},
      {"S\r0", {}, 0, NoLimit, InvalidBrevaneDataError},
      {"xS\r\n\r00# F\r", {}, 0, NoLimit, InvalidBrevaneDataError},
      {"S\n00# F\n1\nZ\nE\n", {}, 0, NoLimit, InvalidBrevaneDataError},
      {Lines({"S", "00# F", "1", "Z", "00# F", "Z", "E"}), {Measured({1})}, 2, NoLimit, 9},
      {Lines({"S", "00# F", "V", "1", "Z", "E"}), {}, 1, NoLimit, 9},
      {Lines({"S", "00# F", "01# 1E10", "E"}), {}, 1, NoLimit, 6},
      {Lines({"S", "00# F", "02# -2147483649", "E"}), {}, 1, NoLimit, 6},
      {Lines({"S", "00# F", "08# 1E39", "E"}), {}, 1, NoLimit, 6},
      {Lines({"S", "00# X", "03# id", "E"}), {}, 0, NoLimit, 91},  // no record to fill
      {Lines({"S", "00# X", "1", "Z", "E"}), {}, 0, NoLimit, 91}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text.substr(0, 60));
    FakeParseContext control;
    ScanState& s = control.state;
    s.brevaneCol = std::make_shared<CBrevaneColCls>();
    s.brevaneCol->Add(std::make_shared<CBrevaneCls>());
    s.scanNumber = 7;
    // A transfer refused at its start leaves the record selected before.
    if (row.code == InvalidBrevaneDataError) s.brevaneData = std::make_shared<CBrevaneCls>();
    const auto before = s.brevaneData;
    if (row.decimalComma) control.regional.decimalSeparator = ",";
    if (row.decimalComma) control.regional.groupingSeparator = ".";
    if (row.code == 0) {
      EXPECT_FALSE(ParseBrevaneData(row.text, control));
    } else {
      const RuntimeError e = testing::CaughtError([&] { ParseBrevaneData(row.text, control); });
      EXPECT_EQ(e.Number(), row.code);
      EXPECT_EQ(e.Description(), "Invalid Brevane Scan Data");
      EXPECT_EQ(e.Source(), StandardDescription(row.code));
    }
    ASSERT_EQ(s.brevaneCol->Count(), static_cast<int32_t>(row.stored.size()));
    for (size_t i = 0; i < row.stored.size(); ++i) {
      EXPECT_EQ(*s.brevaneCol->Item(int32_t(i + 1)), row.stored[i]) << i;
    }
    EXPECT_EQ(s.travimoType, Brevane);
    EXPECT_EQ(s.arrayStart, 0);
    EXPECT_EQ(s.numberOfScans, row.counted);
    EXPECT_EQ(s.numberOfPoints, row.points);
    // A completed parse selects the record its count names, or a new empty one.
    const int32_t selected = std::min(row.counted, static_cast<int32_t>(row.stored.size()));
    EXPECT_EQ(s.scanNumber, row.code == 0 ? selected : 7);
    if (row.code == InvalidBrevaneDataError) {
      EXPECT_EQ(s.brevaneData, before);
    }
    if (row.code == 0) {
      EXPECT_EQ(s.brevaneData == s.brevaneCol->Item(selected), selected > 0);
      EXPECT_EQ(*s.brevaneData, selected > 0 ? row.stored[size_t(selected - 1)] : CBrevaneCls());
    }
  }
}

TEST(BrevaneParser, WithoutAnOpenLineTagsActOnThePreviousRecord) {
  FakeParseContext control;
  const auto previous = std::make_shared<CBrevaneCls>();
  control.state.brevaneData = previous;
  ParseBrevaneData(Lines({"S", "00# G", "03# kept", "E"}), control);
  EXPECT_EQ(previous->IDCode(), "kept");
  EXPECT_EQ(control.state.numberOfScans, 0);
  EXPECT_EQ(control.state.brevaneData, previous);
}

}  // namespace
}  // namespace travimo
