#include "formats/lorvex_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include "support/caught_error.h"
#include "support/fake_parse_context.h"
#include "support/sample_records.h"

namespace travimo {
namespace {

using testing::FakeParseContext;

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

std::string Description(int32_t code) {
  if (code == 1) return "Can Not Read Comport";
  return code == 3 ? "Blue Line Error" : "Invalid Lorvex Scan Data";
}

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
      {one(250), "A", {Series({{1, 77.0f}})}, tempF},
      {one(250), "A", {Series({{1, 25.0f}})}, tempC},
      {one(4095), "A", {Series({{1, 409.5f}})}, tempC},
      {one(0), "A", {Series({{1, 32.0f}})}, tempF},
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
    std::string transfer = row.text;
    if (row.code == 0) {
      EXPECT_TRUE(ParseLorvexData(transfer, ctx));
    } else {
      const RuntimeError error = testing::CaughtError([&] { ParseLorvexData(transfer, ctx); });
      EXPECT_EQ(error.Number(), row.code);
      EXPECT_EQ(error.Source(), "Travimo ActiveX");
      EXPECT_EQ(error.Description(), Description(row.code));
    }
    ASSERT_EQ(s.lorvexCol->Count(), static_cast<int32_t>(row.stored.size()));
    for (size_t i = 0; i < row.stored.size(); ++i) {
      CLorvexCls expected;
      expected.ScanData(row.stored[i]);
      EXPECT_EQ(*s.lorvexCol->Item(int32_t(i + 1)), expected) << i;
    }
    const auto n = static_cast<int32_t>(row.letters.size());
    EXPECT_EQ(s.numberOfScans, n);
    EXPECT_EQ(s.scanTypeLetters.LowerBound(), row.settings.arrayStart);
    EXPECT_EQ(s.scanTypeLetters.UpperBound(), std::max(n, row.settings.arrayStart));
    for (int32_t i = 1; i <= n; ++i)
      EXPECT_EQ(s.scanTypeLetters.At(i), row.letters.substr(size_t(i - 1), 1));
    // Only a read that found scans selects its last one.
    const bool selects = row.code == 0 && n > 0;
    EXPECT_EQ(s.scanNumber, selects ? n : 7);
    EXPECT_EQ(s.lorvexData, selects ? s.lorvexCol->Item(n) : previous);
    EXPECT_EQ(ctx.changes,
              selects ? std::vector<std::string>{"ScanNumber"} : std::vector<std::string>{});
    EXPECT_EQ(transfer.size(), row.left);
  }
}

}  // namespace
}  // namespace travimo
