// What the three parsers share, run for each: the simulator's transfers read
// back as the records they were made from, whatever comes before them, in a
// fresh collection each; a flood of tiny scans is refused long before its
// copies outgrow memory.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "formats/brevane_parser.h"
#include "formats/conversions.h"
#include "formats/lorvex_parser.h"
#include "formats/ostrel_parser.h"
#include <travimo/model/enums.h>
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

struct LorvexFormat {
  using Record = CLorvexCls;
  static bool Parse(std::string text, FakeParseContext& c) { return ParseLorvexData(text, c); }
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
  static bool Parse(std::string text, FakeParseContext& c) { return ParseOstrelData(text, c); }
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
      const Record header = WithFields<Record>(
          {{"CalibrationConstantA", m.calibrationConstantA}, {"BasisWeightValue", m.basisWeight},
           {"CalibrationConstantB", m.calibrationConstantB}, {"SamplingRate", m.samplingRate},
           {"MeasurementNumber", m.measurementNumber},
           {"DateTime", Date::FromCalendar(m.year <= 29 ? 2000 + m.year : 1900 + m.year, m.month,
                                           m.day, m.hour, m.minute, 0)}});
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
    sim::OstrelEncodeOptions options;
    options.headerEndsScan = Pick(random, 0, 1) == 0;
    options.noiseSeed = static_cast<uint32_t>(Pick(random, 0, 3));
    options.lineBreakEvery = static_cast<size_t>(Pick(random, 0, 1) * Pick(random, 1, 80));
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
  static bool Parse(std::string text, FakeParseContext& c) { return ParseBrevaneData(text, c); }
  static auto& Collection(ScanState& s) { return s.brevaneCol; }
  static auto& Current(ScanState& s) { return s.brevaneData; }

  static Sample<Record> Make(std::mt19937& random) {
    const auto real = [&] { return static_cast<float>(Pick(random, -100000, 100000)) / 64.0f; };
    std::vector<sim::BrevaneMeasurement> measurements(static_cast<size_t>(Pick(random, 1, 4)));
    std::vector<Record> records;
    for (auto& m : measurements) {
      m = {Pick(random, -1000000, 1000000), Pick(random, 0, 99999), Word(random),
           std::to_string(Pick(random, 1, 12)) + "/" + std::to_string(Pick(random, 1, 28)) + "/" +
               std::to_string(Pick(random, 1950, 2049)) + " " +
               std::to_string(Pick(random, 0, 23)) + ":" + std::to_string(Pick(random, 10, 59)),
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
    sim::BrevaneEncodeOptions options;
    options.crLf = Pick(random, 0, 1) == 0;
    return {sim::EncodeBrevane(measurements, options), records};
  }
  static std::string Flood(ScanState&) {
    std::string text = "S\r00# F\r";
    while (text.size() < (size_t{1} << 20)) text += "1\rZ\r";
    return text + "E\r";
  }
};

template <class Format>
class ParserTest : public ::testing::Test {
 protected:
  using Record = typename Format::Record;

  void ExpectRead(const std::vector<Record>& records) {
    ScanState& s = ctx_.state;
    ASSERT_EQ(Format::Collection(s)->Count(), static_cast<int32_t>(records.size()));
    for (size_t i = 0; i < records.size(); ++i)
      EXPECT_EQ(*Format::Collection(s)->Item(static_cast<int32_t>(i + 1)), records[i]) << i;
    EXPECT_EQ(s.numberOfScans, static_cast<int32_t>(records.size()));
    EXPECT_EQ(s.numberOfPoints, records.back().ScanData().UpperBound());
    EXPECT_EQ(s.scanNumber, s.numberOfScans);
    EXPECT_EQ(Format::Current(s), Format::Collection(s)->Item(s.scanNumber));
  }

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
    const auto before = TypeParam::Collection(this->ctx_.state);
    TypeParam::Parse(text, this->ctx_);
    EXPECT_NE(TypeParam::Collection(this->ctx_.state), before);
    this->ExpectRead(records);
    if (handedOut.first) { EXPECT_EQ(*handedOut.first, handedOut.second); }
    handedOut = {TypeParam::Collection(this->ctx_.state)->Item(1), records.front()};
  }
}

// Every scan end adds a copy of the record: a flood of one-point scans is
// refused with 7 long before the copies outgrow the transfer many times over.
TYPED_TEST(ParserTest, AFloodOfTinyScansFailsWithOutOfMemory) {
  const std::string text = TypeParam::Flood(this->ctx_.state);
  const RuntimeError error = CaughtError([&] { TypeParam::Parse(text, this->ctx_); });
  EXPECT_EQ(error.Number(), 7);
  EXPECT_NE((error.Source() + error.Description()).find("MB allowed"), std::string::npos);
  EXPECT_LT(TypeParam::Collection(this->ctx_.state)->Count(), 40000);
}

}  // namespace
}  // namespace travimo
