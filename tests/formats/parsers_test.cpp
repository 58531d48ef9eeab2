// The three parsers. Run for each: the simulator's transfers read back as the
// records they were made from, whatever comes before them, in a fresh
// collection each; a flood of tiny scans is refused long before its copies
// outgrow memory. Then each parser's table of transfers, and what the Lorvex
// encoder guarantees that no round trip can see.
#include <gtest/gtest.h>

#include <cctype>
#include <limits>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "formats/brevane_parser.h"
#include "formats/conversions.h"
#include "formats/lorvex_parser.h"
#include "formats/ostrel_parser.h"
#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include "sim/brevane_encoder.h"
#include "sim/lorvex_encoder.h"
#include "sim/ostrel_encoder.h"
#include "support/caught_error.h"
#include "support/fake_parse_context.h"
#include "support/named_fields.h"
#include "support/sample_records.h"

namespace travimo {
namespace {

using testing::CaughtError;
using testing::FakeParseContext;
using testing::WithFields;

int Pick(std::mt19937& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

std::string Word(std::mt19937& random) {
  std::string text;
  for (int n = Pick(random, 0, 6); n > 0; --n) text += static_cast<char>(Pick(random, ' ', '~'));
  return text;
}

template <class Record>
using Sample = std::pair<std::string, std::vector<Record>>;

COstrelCls OstrelHeader(const std::string& a, const std::string& b, const std::string& weight,
                        int32_t number, int32_t rate, Date date) {
  return WithFields<COstrelCls>(
      {{"CalibrationConstantA", a}, {"CalibrationConstantB", b}, {"BasisWeightValue", weight},
       {"MeasurementNumber", number}, {"SamplingRate", rate}, {"DateTime", date}});
}

struct LorvexFormat {
  using Record = CLorvexCls;
  static bool Parse(std::string& text, FakeParseContext& c) { return ParseLorvexData(text, c); }
  static constexpr bool kCompleted = true;
  static std::tuple<int32_t, std::string, std::string> Failure(int32_t code) {
    if (code == ComportReadError) return {code, "Can Not Read Comport", "Travimo ActiveX"};
    if (code == BlueLineError) return {code, "Blue Line Error", "Travimo ActiveX"};
    return {code, "Invalid Lorvex Scan Data", "Travimo ActiveX"};
  }
  static auto& Collection(ScanState& s) { return s.lorvexCol; }
  static auto& Current(ScanState& s) { return s.lorvexData; }

  static Sample<Record> Make(std::mt19937& random) {
    std::vector<sim::LorvexScan> scans(static_cast<size_t>(Pick(random, 1, 5)));
    std::vector<Record> records;
    for (auto& scan : scans) {
      scan.typeLetter = static_cast<char>(Pick(random, 'A', 'F'));
      for (int n = Pick(random, 0, 512); n > 0; --n)
        scan.values.push_back(static_cast<uint16_t>(Pick(random, 0, 4095)));
      std::vector<float> points(scan.values.begin(), scan.values.end());
      points.resize(512, 0.0f);  // padded with zeros
      records.emplace_back().ScanData(SingleArray(1, points));
    }
    return {sim::EncodeLorvexTransfer(scans), records};
  }
  // Header-only records under "No Limit": 128 kB of points for every 15 characters.
  static std::string Flood(ScanState& s) {
    s.pointLimit = NoLimit;
    std::string text = "\r\n\r\n";
    for (int i = 0; i < 80; ++i) text += sim::EncodeLorvexRecord({'C', {}}, false);
    return text;
  }
};

struct OstrelFormat {
  using Record = COstrelCls;
  static bool Parse(std::string& text, FakeParseContext& c) { return ParseOstrelData(text, c); }
  static constexpr bool kCompleted = false;
  static std::tuple<int32_t, std::string, std::string> Failure(int32_t code) {
    return {code, "Invalid Ostrel Scan Data", StandardDescription(code)};
  }
  static auto& Collection(ScanState& s) { return s.ostrelCol; }
  static auto& Current(ScanState& s) { return s.ostrelData; }

  static Sample<Record> Make(std::mt19937& random) {
    std::vector<sim::OstrelMeasurement> measurements(static_cast<size_t>(Pick(random, 1, 4)));
    std::vector<Record> records;
    for (auto& m : measurements) {
      const auto text = [&](int low, int high) { return std::to_string(Pick(random, low, high)); };
      m = {"A" + text(1000, 9999), text(10000, 99999), text(100, 999) + "." + text(100, 999),
           Pick(random, 0, 9), Pick(random, 0, 9), Pick(random, 0, 99), Pick(random, 1, 12),
           Pick(random, 1, 28), Pick(random, 0, 23), Pick(random, 0, 59), {}};
      const Record header = OstrelHeader(
          m.calibrationConstantA, m.calibrationConstantB, m.basisWeight, m.measurementNumber,
          m.samplingRate, Date::FromCalendar(m.year <= 29 ? 2000 + m.year : 1900 + m.year, m.month,
                                             m.day, m.hour, m.minute, 0));
      m.scans.resize(static_cast<size_t>(Pick(random, 1, 3)));
      for (auto& scan : m.scans) {
        std::vector<float> points;
        for (int n = Pick(random, 1, 50); n > 0; --n) {
          const bool whole = Pick(random, 0, 1) == 0;
          const double value = whole ? Pick(random, 0, 9999) : Pick(random, 0, 999) / 100.0;
          scan.push_back(sim::OstrelPointText(value));
          points.push_back(static_cast<float>(value));
        }
        records.push_back(*CopyForCollection(header));  // a series of its own
        records.back().ScanData(SingleArray(1, points));
      }
    }
    const sim::OstrelEncodeOptions options{
        .headerEndsScan = Pick(random, 0, 1) == 0,
        .lineBreakEvery = static_cast<size_t>(Pick(random, 0, 1) * Pick(random, 1, 80)),
        .noiseSeed = static_cast<uint32_t>(Pick(random, 0, 3))};
    return {sim::EncodeOstrel(measurements, options), records};
  }
  static std::string Flood(ScanState&) {
    std::string text = "SA123400456012.345152403151030";
    while (text.size() < (size_t{1} << 20)) text += "0001P0000";
    return text + "E";
  }
};

struct BrevaneFormat {
  using Record = CBrevaneCls;
  static bool Parse(std::string& text, FakeParseContext& c) { return ParseBrevaneData(text, c); }
  static constexpr bool kCompleted = false;
  static std::tuple<int32_t, std::string, std::string> Failure(int32_t code) {
    return {code, "Invalid Brevane Scan Data", StandardDescription(code)};
  }
  static auto& Collection(ScanState& s) { return s.brevaneCol; }
  static auto& Current(ScanState& s) { return s.brevaneData; }

  static Sample<Record> Make(std::mt19937& random) {
    const auto real = [&] { return static_cast<float>(Pick(random, -100000, 100000)) / 64.0f; };
    const auto n = [&](int low, int high) { return std::to_string(Pick(random, low, high)); };
    std::vector<sim::BrevaneMeasurement> measurements(static_cast<size_t>(Pick(random, 1, 4)));
    std::vector<Record> records;
    for (auto& m : measurements) {
      m = {Pick(random, -1000000, 1000000), Pick(random, 0, 99999), Word(random),
           n(1, 12) + "/" + n(1, 28) + "/" + n(1950, 2049) + " " + n(0, 23) + ":" + n(10, 59),
           real(), Word(random), Word(random), real(), Word(random), Word(random),
           Word(random), Word(random), {}, {}};
      for (int n = Pick(random, 1, 60); n > 0; --n) m.moisture.push_back(real());
      for (int n = Pick(random, 0, 10); n > 0; --n) m.skipped.push_back(real());
      records.push_back(WithFields<Record>(
          {{"TypeOfMeasuringHead", "F"}, {"ScanNumber", m.scanNumber}, {"IDCode", m.idCode},
           {"MeasurementNumber", m.measurementNumber}, {"SamplingRate", m.samplingRate},
           {"DateTime", TextToDate(m.dateTime, {})}, {"BasisWeightValue", m.basisWeightValue},
           {"BasisWeightUnit", m.basisWeightUnit}, {"TypeOfBasisWeight", m.typeOfBasisWeight},
           {"CalibrationConstantA", m.calibrationConstantA}, {"MoistureUnit", m.moistureUnit},
           {"CalibrationConstantB", m.calibrationConstantB},
           {"TemperatureUnit", m.temperatureUnit}}));
      records.back().ScanData(SingleArray(0, m.moisture));
    }
    return {sim::EncodeBrevane(measurements, {.crLf = Pick(random, 0, 1) == 0}), records};
  }
  static std::string Flood(ScanState&) {
    std::string text = "S\r00# F\r";
    while (text.size() < (size_t{1} << 20)) text += "1\rZ\r";
    return text + "E\r";
  }
};

// Parses text: checks the failure raised (code 0: none) and the records
// stored, whole; returns the length of what the parser left of the text.
template <class Format>
size_t ExpectParse(std::string text, FakeParseContext& ctx, int32_t code,
                   const std::vector<typename Format::Record>& stored) {
  if (code == 0) {
    EXPECT_EQ(Format::Parse(text, ctx), Format::kCompleted);
  } else {
    const RuntimeError e = CaughtError([&] { Format::Parse(text, ctx); });
    EXPECT_EQ(std::tuple(e.Number(), e.Description(), e.Source()), Format::Failure(code));
  }
  const auto& collection = *Format::Collection(ctx.state);
  std::vector<typename Format::Record> got;
  for (int32_t i = 1; i <= collection.Count(); ++i) got.push_back(*collection.Item(i));
  EXPECT_EQ(got, stored);
  return text.size();
}

template <class Format>
class ParserTest : public ::testing::Test {
 protected:
  std::mt19937 random_{20240315};
  FakeParseContext ctx_;
};

using Formats = ::testing::Types<LorvexFormat, OstrelFormat, BrevaneFormat>;
TYPED_TEST_SUITE(ParserTest, Formats);

// One control reads them in turn: each parse starts a fresh collection, and a
// record a host still holds keeps its values when the next read replaces it.
TYPED_TEST(ParserTest, ReadsBackWhatTheSimulatorEncodes) {
  std::pair<std::shared_ptr<typename TypeParam::Record>, typename TypeParam::Record> handedOut;
  for (int round = 0; round < 40; ++round) {
    auto [text, records] = TypeParam::Make(this->random_);
    if (round % 2 == 1) text = "\x02junk\x01e\r\n" + text;  // noise before the start
    SCOPED_TRACE(text);
    ScanState& s = this->ctx_.state;
    const auto before = TypeParam::Collection(s);
    ExpectParse<TypeParam>(text, this->ctx_, 0, records);
    EXPECT_NE(TypeParam::Collection(s), before);
    EXPECT_EQ(std::tuple(s.numberOfScans, s.scanNumber, s.numberOfPoints),
              std::tuple(int32_t(records.size()), int32_t(records.size()),
                         records.back().ScanData().UpperBound()));
    EXPECT_EQ(TypeParam::Current(s), TypeParam::Collection(s)->Item(s.scanNumber));
    if (handedOut.first) { EXPECT_EQ(*handedOut.first, handedOut.second); }
    handedOut = {TypeParam::Collection(s)->Item(1), records.front()};
  }
}

// Every scan end adds a copy of the record: a flood of one-point scans is
// refused with 7 long before the copies outgrow the transfer many times over.
TYPED_TEST(ParserTest, AFloodOfTinyScansFailsWithOutOfMemory) {
  std::string text = TypeParam::Flood(this->ctx_.state);
  const RuntimeError error = CaughtError([&] { TypeParam::Parse(text, this->ctx_); });
  EXPECT_EQ(error.Number(), 7);
  EXPECT_NE((error.Source() + error.Description()).find("MB allowed"), std::string::npos);
  EXPECT_LT(TypeParam::Collection(this->ctx_.state)->Count(), 40000);
}

namespace brevane {

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
  const int32_t refused = InvalidBrevaneDataError;
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
      {"S\r01# 1\r", {}, 0, NoLimit, refused}, {"", {}, 0, NoLimit, refused},
      {"S", {}, 0, NoLimit, refused},          {"S\r0", {}, 0, NoLimit, refused},
      {"xS\r\n\r00# F\r", {}, 0, NoLimit, refused},
      {"S\n00# F\n1\nZ\nE\n", {}, 0, NoLimit, refused},
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
    if (row.decimalComma) control.regional = {.decimalSeparator = ",", .groupingSeparator = "."};
    ExpectParse<BrevaneFormat>(row.text, control, row.code, row.stored);
    // A completed parse selects the record its count names, or a new empty one.
    const int32_t selected = std::min(row.counted, static_cast<int32_t>(row.stored.size()));
    EXPECT_EQ(
        std::tuple(s.travimoType, s.arrayStart, s.numberOfScans, s.numberOfPoints, s.scanNumber),
        std::tuple(Brevane, 0, row.counted, row.points, row.code == 0 ? selected : 7));
    EXPECT_TRUE(row.code != InvalidBrevaneDataError || s.brevaneData == before);
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

}  // namespace brevane

namespace lorvex {

// Hand-built records, independent of the encoder: "P", two filler characters,
// the type letter, eleven more filler characters, then the data.
std::string Record(char letter, const std::string& data) {
  return std::string("P01") + letter + "23456789012" + data;
}

// Two characters of data for a value, low six bits first.
std::string Pair(int value, size_t times = 1) {
  std::string out;
  for (size_t i = 0; i < times; ++i) {
    out += {static_cast<char>(64 + (value & 63)), static_cast<char>(64 + (value >> 6))};
  }
  return out;
}

const std::string kFull = Pair(129, 512);  // "AB" 512 times
const std::string kRest = kFull.substr(2);
// Four characters of framing so a single full record passes the length test.
const std::string kFraming = "\r\n\r\n";
const std::string kLead(1100, 'x');  // text before the first "P" is ignored

// A moisture series from lower to upper: runs of {count, value}, then zeros.
SingleArray Series(std::vector<std::pair<int, float>> runs, int32_t upper = 512,
                   int32_t lower = 1) {
  std::vector<float> points;
  for (const auto& [count, value] : runs) points.insert(points.end(), size_t(count), value);
  points.resize(size_t(upper - lower + 1), 0.0f);
  return SingleArray(lower, points);
}
const SingleArray kFullSeries = Series({{512, 129.0f}});

struct Settings {
  int32_t dataType = Moisture, units = Celsius, pointLimit = Max512, arrayStart = 1,
          blueLine = BlueLineAuto;
};

// A transfer, the type letters split from it, the moisture series of the
// records stored, the failure code (0: it parses) and the characters the
// parser leaves of the transfer (by default the last record's last 15).
struct Row {
  std::string text;
  std::string letters;
  std::vector<SingleArray> stored;
  Settings settings = {};
  int32_t code = 0;
  size_t left = 15;
};

TEST(LorvexParserTest, Transfers) {
  const std::string full = Record('C', kFull);
  const auto first = [](std::string pair) { return kFraming + Record('A', pair + kRest); };
  const auto one = [](int value) { return kLead + Record('A', Pair(value)); };
  const auto series = [](float first) { return Series({{1, first}, {511, 129.0f}}); };
  const Settings tempF{Temperature, Fahrenheit}, tempC{Temperature, Celsius};
  const std::string twoThenFull =
      Record('A', Pair(3) + Pair(5) + kFull.substr(4)) + Record('B', kFull) + kFraming;
  const Row rows[] = {
      {Record('A', kFull) + Record('B', Pair(4095, 512)) + "##", "AB",
       {kFullSeries, Series({{512, 4095.0f}})}},
      // Only the low six bits of each character count; "#" is data.
      {first("\x01@"), "A", {series(1)}}, {first("\xc1@"), "A", {series(1)}},
      {first("\x7f\x7f"), "A", {series(4095)}}, {first(std::string(2, '\0')), "A", {series(0)}},
      {first(std::string("#\0", 2)), "A", {series(35)}},
      // Short data gives fewer values; an odd last character has high part 0.
      {kLead + Record('A', Pair(129, 511) + "E"), "A", {Series({{511, 129.0f}, {1, 5.0f}})}},
      {kLead + Record('A', Pair(129, 50)), "A", {Series({{50, 129.0f}})}},
      {kLead + Record('A', ""), "A", {Series({})}},
      // Every "P" starts a record; one whose header is cut short ends the split.
      {full + "\r\n" + Record('B', kFull), "CB", {kFullSeries, kFullSeries}},
      {full + "P0123" + Record('B', kFull), "C", {kFullSeries}, {}, 0, 15 + 5 + 1039},
      {kFraming + full + "P0123456789012", "C", {kFullSeries}, {}, 0, 15 + 14},
      {Record('A', Pair(7) + Pair(9)) + Record('B', kFull) + kFraming, "AB",
       {Series({{1, 7.0f}, {1, 9.0f}}), kFullSeries}},
      {kLead + "P0123", "", {}, {}, 0, 1105},  // completes with no scans
      // Scaled by data type and temperature unit, always the moisture series.
      {one(250), "A", {Series({{1, 77.0f}})}, tempF}, {one(0), "A", {Series({{1, 32.0f}})}, tempF},
      {one(250), "A", {Series({{1, 25.0f}})}, tempC},
      {one(4095), "A", {Series({{1, 409.5f}})}, tempC},
      {one(250), "A", {Series({{1, 250.0f}})}, {Moisture, Fahrenheit}},
      {one(250), "A", {Series({{1, 250.0f}})}, {Burst, Celsius}},
      // Any other point limit averages pairs, rounding toward zero; each scan starts afresh.
      {kFraming + Record('A', Pair(250) + Pair(253) + Pair(1) + Pair(2) + Pair(9, 508)), "A",
       {Series({{1, 251.0f}, {1, 1.0f}, {254, 9.0f}}, 256)}, {.pointLimit = Max256}},
      {kLead + Record('A', Pair(10) + Pair(20) + Pair(30)) + Record('B', Pair(40) + Pair(50)),
       "AB",
       {Series({{1, 15.0f}}, 256), Series({{1, 45.0f}}, 256)}, {.pointLimit = Max256}},
      // Array start 0 keeps one entry per scan.
      {twoThenFull, "AB",
       {Series({{1, 3.0f}, {1, 5.0f}, {510, 129.0f}}, 511, 0), Series({{512, 129.0f}}, 511, 0)},
       {.arrayStart = 0}},
      {twoThenFull, "AB",
       {Series({{1, 4.0f}, {255, 129.0f}}, 255, 0), Series({{256, 129.0f}}, 255, 0)},
       {.pointLimit = Max256, .arrayStart = 0}},
      // The blue line wants "C" in every record only when it is on.
      {full + full + kFraming, "CC", {kFullSeries, kFullSeries}, {.blueLine = BlueLineOn}},
      {full + Record('A', kFull) + full + kFraming, "CAC",
       {kFullSeries, kFullSeries, kFullSeries}, {.blueLine = BlueLineOff}},
      {full + Record('A', kFull) + full + kFraming, "CA", {}, {.blueLine = BlueLineOn}, 3, 1058},
      // Failures: too short (1042 characters), more points than the array.
      {std::string(3, 'x') + full, "", {}, {}, 1, 1042},
      {std::string(5000, 'x'), "", {}, {}, 1, 5000},  // long enough, but no "P"
      {std::string(1000, 'x') + Record('C', Pair(129, 50)) + full + full, "CCC",
       {Series({{25, 129.0f}}, 100)}, {.pointLimit = 100}, 9},
      {kFraming + full, "C", {}, {.pointLimit = 0}, 9}};  // upper bound below the lower
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text.substr(0, 40) + " (" + std::to_string(row.text.size()) + ")");
    FakeParseContext ctx;
    ScanState& s = ctx.state;
    const auto previous = std::make_shared<CLorvexCls>();
    s.lorvexData = previous;
    s.scanNumber = 7;
    std::tie(s.scanDataType, s.tempUnits, s.pointLimit, s.arrayStart, s.blueLineTrigger) =
        std::tie(row.settings.dataType, row.settings.units, row.settings.pointLimit,
                 row.settings.arrayStart, row.settings.blueLine);
    std::vector<CLorvexCls> stored(row.stored.size());
    for (size_t i = 0; i < stored.size(); ++i) stored[i].ScanData(row.stored[i]);
    EXPECT_EQ(ExpectParse<LorvexFormat>(row.text, ctx, row.code, stored), row.left);
    const auto n = static_cast<int32_t>(row.letters.size());
    std::string letters;  // one a scan, after an empty element 0 when the array starts there
    for (int32_t i = 1; i <= n; ++i) letters += s.scanTypeLetters.At(i).value_or("?");
    EXPECT_EQ(std::tuple(s.numberOfScans, letters, s.scanTypeLetters.LowerBound(),
                         s.scanTypeLetters.UpperBound()),
              std::tuple(n, row.letters, row.settings.arrayStart,
                         std::max(n, row.settings.arrayStart)));
    // Only a read that found scans selects its last one.
    const bool selects = row.code == 0 && n > 0;
    EXPECT_EQ(std::tuple(s.scanNumber, s.lorvexData, ctx.changes),
              std::tuple(selects ? n : 7, selects ? s.lorvexCol->Item(n) : previous,
                         std::vector<std::string>(selects, "ScanNumber")));
  }
}

}  // namespace lorvex

namespace ostrel {

const std::string kHeader1 = "SA123400456012.345152403151030";
const std::string kHeader2 = "PA999900077001.000242312312359";

const COstrelCls kH1 =
    OstrelHeader("A1234", "00456", "012.345", 1, 5, Date::FromCalendar(2024, 3, 15, 10, 30, 0));
const COstrelCls kH2 =
    OstrelHeader("A9999", "00077", "001.000", 2, 4, Date::FromCalendar(2023, 12, 31, 23, 59, 0));

// Copies of a record share its series: the scan gets one of its own.
COstrelCls Scan(COstrelCls header, std::vector<float> points, int32_t lower = 1) {
  header.cScanData(std::make_shared<CScanDataCls>());
  header.ScanData(SingleArray(lower, std::move(points)));
  return header;
}

// A transfer, the records it stores, the last point index, the failure code
// (0: it parses), ArrayStart, and the current record when none is stored.
struct Row {
  std::string text;
  std::vector<COstrelCls> stored;
  int32_t points;
  int32_t code = 0;
  int32_t arrayStart = 1;
  std::optional<COstrelCls> current = {};
};

TEST(OstrelParser, Transfers) {
  const float inf = std::numeric_limits<float>::infinity();
  const std::string h = kHeader1;
  const std::string previousRead = "S" + kHeader2.substr(1) + "0042P0000E";
  const COstrelCls previous = Scan(kH2, {42});
  const auto undated = [](const char* dateTime) {
    return Row{"SA123400456012.34515" + std::string(dateTime) + "0001P0000E",
               {Scan(OstrelHeader("A1234", "00456", "012.345", 1, 5, Date()), {1})}, 1};
  };
  std::string longest = h;
  for (int32_t i = 0; i < 32768; ++i) longest += "0005";
  const int32_t subscript = ErrorNumber::SubscriptOutOfRange, invalid = InvalidOstrelDataError;
  const Row rows[] = {
      {h + "01010102 103P0000E", {Scan(kH1, {101, 102, 103})}, 3},
      {h + "00010002P00000003P0000E", {Scan(kH1, {1, 2}), Scan(kH1, {3})}, 1},
      {h + "01010102" + kHeader2 + "0201P0000E", {Scan(kH1, {101, 102}), Scan(kH2, {201})}, 1},
      {"S\nA1234\r004\r\n56012.3451524031510\n300001\r00\n02P00\r00E", {Scan(kH1, {1, 2})}, 2},
      {h + "00010002E", {}, 2, 0, 1, kH1},                // points without a scan end
      {h + "00010002P", {}, 2, 0, 1, kH1},                // a last P is never examined
      {h + "0001P0000M0002P0000E", {Scan(kH1, {1})}, 1},  // M ends the transfer
      {h + "0001PE0000002P0000", {Scan(kH1, {1})}, 1},    // so does PE
      {h + "0001PM", {Scan(kH1, {1})}, 1},                // and PM
      {h + "00010002P0000", {Scan(kH1, {1, 2})}, 2},      // end of text stops reading
      {h + "p001e002m003s004P0000E", {Scan(kH1, {0, 0, 0, 0})}, 4},
      {h + "0007S" + kHeader2.substr(1) + "0008P0000E", {Scan(kH2, {8})}, 1},  // non-P header drops
      {h + "00121.5     X1239E99-1.5P0000E", {Scan(kH1, {12, 1.5f, 0, 0, inf, -1.5f})}, 6},
      {h + "0001P0000E" + kHeader2.substr(1) + "0002P0000E", {Scan(kH1, {1}), Scan(kH2, {2})}, 1},
      // Unconvertible header fields keep their initial values; a valid time
      // does not rescue a day that does not exist.
      {"SA123400456012.345 xYYMMDDhhmm0001P0000E",
       {Scan(OstrelHeader("A1234", "00456", "012.345", 0, 0, Date()), {1})}, 1},
      undated("2402301030"), undated("2400151030"), undated("2413151030"),
      undated("2403001030"), undated(" 403151030"),
      {h + "000100020003P0000E", {Scan(kH1, {1, 2, 3}, 0)}, 2, 0, 0},
      {h + "E", {}, 0, 0, 0, kH1},
      // Point index 32768 ends the parse without a record.
      {longest + "0009P0000E", {}, 32768, 0, 1, kH1},
      {longest + "00050009P0000E", {}, 32768, 0, 0, kH1},
      // Failures: the start check keeps the previous read; without "S" the
      // parse reads from position 0; a scan end without points.
      {"SB", {previous}, NoLimit, invalid, 1, previous},
      {"", {previous}, NoLimit, invalid, 1, previous},
      {"S", {previous}, NoLimit, invalid, 1, previous},
      {"xxSX123400456012.345152403151030", {previous}, NoLimit, invalid, 1, previous},
      {"sA00", {}, NoLimit, ErrorNumber::InvalidArgument, 1, previous},
      {h + "0001P0000P0000E", {Scan(kH1, {1})}, NoLimit, subscript},
      {h + "0001P0000" + kHeader2 + "0002P0000E", {Scan(kH1, {1})}, NoLimit, subscript},
      {h + "E", {}, 0, subscript, 1, kH1}};  // no point at all fails at the final cut
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text.substr(0, 60));
    FakeParseContext control;
    control.regional.dateOrder = DateOrder::DayMonthYear;  // the header date is month first
    ParseOstrelData(previousRead, control);
    ScanState& s = control.state;
    s.scanNumber = 7;
    s.arrayStart = row.arrayStart;
    control.changes.clear();
    ExpectParse<OstrelFormat>(row.text, control, row.code, row.stored);
    EXPECT_EQ(*s.ostrelData, row.current ? *row.current : row.stored.back());
    // A failure leaves the count and the selection of the read before.
    const auto n = static_cast<int32_t>(row.stored.size());
    const bool selects = row.code == 0 && n > 0;
    EXPECT_EQ(std::tuple(s.travimoType, s.numberOfPoints, s.numberOfScans, s.scanNumber),
              std::tuple(Ostrel, row.points, row.code == 0 ? n : 1, selects ? n : 7));
    if (selects) {
      EXPECT_EQ(s.ostrelData, s.ostrelCol->Item(n));
      EXPECT_EQ(control.changes, (std::vector<std::string>{"TravimoType", "ScanNumber"}));
    }
  }
}

}  // namespace ostrel

TEST(LorvexEncoderTest, SixBitCharactersKeepTheirBitsAndAvoidTheMarkers) {
  for (unsigned bits = 0; bits < 64; ++bits) {
    const char c = sim::EncodeSixBits(bits);
    EXPECT_EQ(static_cast<unsigned char>(c) & 63u, bits);
    EXPECT_EQ(std::string("P#").find(c), std::string::npos) << bits;
    // Only the bits of "P" have no other printable character.
    EXPECT_EQ(std::isprint(static_cast<unsigned char>(c)) != 0, bits != 16) << bits;
  }
}

TEST(LorvexEncoderTest, TransferFramingAndWhatCannotBeSent) {
  const std::vector<sim::LorvexScan> scans(3);
  const std::string text = sim::EncodeLorvexTransfer(scans);
  // The length is the one the read cycle takes as complete.
  EXPECT_EQ(std::tuple(text.size(), text.substr(0, 3), text.substr(text.size() - 2)),
            std::tuple(3 * 1039 + 4, "\r\nP", "##"));
  EXPECT_EQ(sim::EncodeLorvexTransfer(scans, {.leadingText = "", .endMarker = false}).size(),
            3 * 1039);
  EXPECT_EQ(sim::EncodeLorvexRecord({'A', {1}}, false).size(), sim::kLorvexHeaderLength + 2);
  EXPECT_THROW(sim::EncodeLorvexRecord({'P', {}}), std::invalid_argument);
  EXPECT_THROW(sim::EncodeLorvexRecord({'A', {4096}}), std::invalid_argument);
  EXPECT_THROW(sim::EncodeLorvexTransfer({}, {.leadingText = "P"}), std::invalid_argument);
}

}  // namespace
}  // namespace travimo
