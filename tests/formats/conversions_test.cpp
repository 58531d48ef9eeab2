// Text to numbers and dates, and records to JSON and back.
#include "formats/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "formats/record_json.h"
#include <travimo/model/error.h>
#include "support/caught_error.h"
#include "support/named_fields.h"
#include "support/sample_records.h"

namespace travimo {
namespace {

using testing::ErrorOf;
using testing::Filled;

constexpr double kInf = std::numeric_limits<double>::infinity();

// Huge exponents saturate and long digit runs keep their value, never failing.
TEST(LenientNumber, ReadsTheLeadingNumber) {
  const std::pair<std::string, double> cases[] = {
      {"12.5 %", 12.5},  {"1 2", 12},        {"abc", 0},     {"", 0},        {"  -3.25", -3.25},
      {"+7", 7},         {"\t4\t2.5", 42.5}, {"1.2.3", 1.2}, {".5", 0.5},    {".", 0},
      {"-", 0},          {"1e-2", 0.01},     {"2D2", 200},   {"2d+1", 20},   {"1E+", 1},
      {"3 E 2", 300},    {"--5", 0},         {"&HFF", 255},  {"&hff", 255},  {"&O17", 15},
      {"&Hz", 0},        {"&X1", 0},         {"1,5", 1},     {"0.05", 0.05}, {"00.0012", 0.0012},
      {"-0.005e2", -0.5}, {"123456789012345678901234", 123456789012345678901234.0},
      {"9E99999999999999999999", kInf}, {"-9E999", -kInf}, {"9E-99999999999999999999", 0},
      {"0E999999", 0}, {std::string(400, '0') + "1", 1},
      {"0." + std::string(400, '0') + "1E401", 1}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(LenientNumber(text), expected) << text;
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbourAndOutsideInt32Overflows) {
  const std::pair<double, int32_t> cases[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {2.6, 3}, {-0.4, 0},
      {2147483647.4, 2147483647}, {-2147483648.0, std::numeric_limits<int32_t>::min()}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(RoundHalfEven(value), expected) << value;
  for (const double value :
       {2147483647.5, -2147483649.0, 1e300, kInf, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(ErrorOf([&] { RoundHalfEven(value); }), ErrorNumber::Overflow) << value;
  }
}

TEST(NearestSingle, RoundsAndSaturatesToInfinity) {
  const float infinity = std::numeric_limits<float>::infinity();
  const std::pair<double, float> cases[] = {{0.1, 0.1f}, {-1e39, -infinity},
      {0x1.fffffefp127, std::numeric_limits<float>::max()}, {0x1.ffffffp127, infinity}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(NearestSingle(value), expected) << value;
  EXPECT_TRUE(std::isnan(NearestSingle(std::numeric_limits<double>::quiet_NaN())));
}

TEST(LocaleSingle, ReadsUnderTheSettingsSeparatorsAndOverflowsBeyondFloat) {
  const RegionalSettings point, comma{.decimalSeparator = ",", .groupingSeparator = "."};
  const std::tuple<std::string, const RegionalSettings&, std::optional<float>> cases[] = {
      {"2,5", comma, 2.5f},          {"2,5", point, 25.0f},       {"1,234.5", point, 1234.5f},
      {"1.234,5", comma, 1234.5f},   {" -3 ", point, -3.0f},      {"1E3", point, 1000.0f},
      {"abc", point, std::nullopt},  {"", point, std::nullopt},   {"  ", point, std::nullopt},
      {"2.5x", point, std::nullopt}, {",5", point, std::nullopt}, {"1E", point, std::nullopt},
      {".5", point, 0.5f},           {"1e-60", point, 0.0f},      {"-", point, std::nullopt},
      {"1 2", point, std::nullopt}};
  for (const auto& [text, settings, expected] : cases) {
    EXPECT_EQ(LocaleSingle(text, settings), expected) << text;
  }
  for (const char* text :
       {"1e39", "-4e38", "1e999999", "9999999999999999999999999999999999999999"}) {
    EXPECT_EQ(ErrorOf([&] { LocaleSingle(text, point); }), ErrorNumber::Overflow) << text;
  }
  EXPECT_EQ(LocaleSingle("0.000" + std::string(400, '0') + "1", point), 0.0f);
}

TEST(TextToDate, ReadsDatesAndTimesUnderTheDateOrder) {
  using C = CalendarDateTime;
  struct Case {
    std::string text;
    std::optional<C> date = {};  // none: no real day, which refuses the time with it
    DateOrder order = DateOrder::MonthDayYear;
  };
  const Case cases[] = {
      {"03/15/24 10:30", C{2024, 3, 15, 10, 30, 0}},
      {"15.03.2024", C{2024, 3, 15, 0, 0, 0}, DateOrder::DayMonthYear},
      {"2024-03-15 08:05:09", C{2024, 3, 15, 8, 5, 9}},
      {"24/03/15", C{2024, 3, 15, 0, 0, 0}, DateOrder::YearMonthDay},
      {"1/2/1999 1:02 PM", C{1999, 1, 2, 13, 2, 0}}, {"1/2/99 12:00 am", C{1999, 1, 2, 0, 0, 0}},
      {"01/02/29", C{2029, 1, 2, 0, 0, 0}},          {"01/02/30", C{1930, 1, 2, 0, 0, 0}},
      {" 02/29/24 ", C{2024, 2, 29, 0, 0, 0}},       {" 3/ 5/24  9: 5", C{2024, 3, 5, 9, 5, 0}},
      {"12/30/1899", C{1899, 12, 30, 0, 0, 0}},
      {"12:00", C{1899, 12, 30, 12, 0, 0}},  // a time alone is on day 0
      {"6 AM", C{1899, 12, 30, 6, 0, 0}},
      {"6:00 nm", C{1899, 12, 30, 18, 0, 0}},  // the settings' PM designator
      {"13/01/24"}, {"02/30/24"}, {"02/30/24 10:30"}, {"00/15/24 10:30"}, {"03/00/24 10:30"},
      {"03/15/ 4 10:30"}, {"03/15-24"}, {"03/15/24 25:00"}, {"03/15/24 10:60"}, {"13:00 PM"},
      {"  /  /   :  "}, {""}, {"03/15"}, {"03/15/24 10:30 xyz"}};
  for (const auto& [text, expected, order] : cases) {
    const auto date = TryTextToDate(text, {.dateOrder = order, .pmDesignator = "nm"});
    EXPECT_EQ(date ? std::optional(date->ToCalendar()) : std::nullopt, expected) << text;
  }
  EXPECT_EQ(ErrorOf([] { TextToDate("not a date", {}); }), ErrorNumber::TypeMismatch);
}

const std::string kFile = "form.json";
const JsonPlace kAt{"test", kFile, "Data", {}};

template <class Record>
Record RoundTrip(const Record& record) {
  const Json text = Json::parse(RecordToJson(record).dump());
  return *std::get<std::shared_ptr<Record>>(RecordFromJson(text, kAt));
}

TEST(RecordJsonTest, EveryFieldOfEveryRecordComesBackEqual) {
  EXPECT_EQ(RoundTrip(Filled<CLorvexCls>()), Filled<CLorvexCls>());
  EXPECT_EQ(RoundTrip(Filled<COstrelCls>()), Filled<COstrelCls>());
  EXPECT_EQ(RoundTrip(Filled<CBrevaneCls>()), Filled<CBrevaneCls>());
  EXPECT_EQ(RoundTrip(CBrevaneCls()), CBrevaneCls());

  CLorvexCls noBurst;
  noBurst.cScanBurst(nullptr);
  EXPECT_EQ(RoundTrip(noBurst).cScanBurst(), nullptr);
}

// What earlier versions saved must still read: member order is free, the
// date's "iso" is for people, unknown members are ignored, absent ones keep
// the initial value.
TEST(RecordJsonTest, ASavedRecordReadsBackAsWritten) {
  const Json saved = Json::parse(R"({
    "record": "Brevane", "ScanNumber": 2, "IDCode": {"bytes": [82, 233]},
    "DateTime": {"iso": "ignored", "value": 45000.5}, "SamplingRate": "NaN",
    "GradeNo": 17.0, "cScanTemp": null, "cScanData": {"lower": 1, "values": [1.5, "-Infinity"]},
    "AddedLater": [1, 2, 3]})");
  auto expected = testing::WithFields<CBrevaneCls>(
      {{"ScanNumber", 2}, {"IDCode", "R\xE9"}, {"DateTime", Date(45000.5)}, {"GradeNo", 17},
       {"SamplingRate", std::numeric_limits<float>::quiet_NaN()}, {"cScanTemp", ScanDataPtr()}});
  expected.ScanData(SingleArray(1, {1.5f, -std::numeric_limits<float>::infinity()}));
  EXPECT_EQ(*std::get<BrevanePtr>(RecordFromJson(saved, kAt)), expected);
}

TEST(RecordJsonTest, AFieldOfTheWrongKindNamesItsPlace) {
  const int32_t mismatch = ErrorNumber::TypeMismatch, overflow = ErrorNumber::Overflow;
  const std::tuple<const char*, int32_t, const char*> cases[] = {
      {R"({"record": "Quartz"})", mismatch, "\"record\""},
      {R"({"record": 1})", mismatch, "\"record\""},
      {R"({"record": "Ostrel", "SamplingRate": 2.5})", mismatch, "\"SamplingRate\""},
      {R"({"record": "Ostrel", "MeasurementNumber": 3000000000})", overflow,
       "\"MeasurementNumber\""},
      {R"({"record": "Lorvex", "cScanTemp": {"values": [1, true]}})", mismatch,
       "\"cScanTemp.values\""},
      {R"({"record": "Ostrel", "DateTime": {"value": 1e9}})", overflow, "\"DateTime\""}};
  for (const auto& [json, number, place] : cases) {
    const RuntimeError error =
        testing::CaughtError([&] { RecordFromJson(Json::parse(json), kAt); });
    EXPECT_EQ(error.Number(), number) << json;
    EXPECT_NE(error.Description().find(place), std::string::npos) << error.Description();
    EXPECT_NE(error.Description().find(kFile), std::string::npos) << error.Description();
  }
  // Dates run from the year 100 to 9999; a date beyond them could not be saved again.
  for (const char* days : {"-657435", "2958466", "1e19", "5.6e52", "-1e300"}) {
    const Json json = Json::parse(R"({"record": "Ostrel", "DateTime": {"value": )" +
                                  std::string(days) + "}}");
    EXPECT_EQ(ErrorOf([&] { RecordFromJson(json, kAt); }), overflow) << days;
  }
  for (const double days : {-657434.0, 2958465.9999}) {
    const auto dated = testing::WithFields<COstrelCls>({{"DateTime", Date(days)}});
    EXPECT_EQ(RoundTrip(dated), dated) << days;
  }
}

}  // namespace
}  // namespace travimo
