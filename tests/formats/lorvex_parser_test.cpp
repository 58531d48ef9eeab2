#include "formats/lorvex_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/enums.h"
#include "model/error.h"
#include "support/caught_error.h"
#include "support/fake_parse_context.h"

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
// Four characters of framing so a single full record passes the length test.
const std::string kFraming = "\r\n\r\n";

class LorvexParserTest : public ::testing::Test {
 protected:
  bool Parse(std::string text) {
    transfer_ = std::move(text);
    return ParseLorvexData(transfer_, ctx_);
  }

  RuntimeError ParseFailure(std::string text) {
    return testing::CaughtError([&] { Parse(std::move(text)); });
  }

  ScanState& State() { return ctx_.state; }
  int32_t Count() const { return ctx_.state.lorvexCol ? ctx_.state.lorvexCol->Count() : -1; }
  SingleArray Points(int32_t position) const {
    return ctx_.state.lorvexCol->Item(position)->ScanData();
  }
  std::string Letter(int32_t index) const {
    return ctx_.state.scanTypeLetters.At(index).value_or("<none>");
  }

  FakeParseContext ctx_;
  std::string transfer_;
};

TEST_F(LorvexParserTest, TwoFullRecordsBecomeTwoScansAndTheLastIsCurrent) {
  const std::string text = Record('A', kFull) + Record('B', Pair(4095, 512)) + "##";
  ASSERT_TRUE(Parse(text));
  EXPECT_EQ(State().numberOfScans, 2);
  ASSERT_EQ(Count(), 2);
  EXPECT_EQ(Points(1), SingleArray(1, std::vector<float>(512, 129.0f)));
  EXPECT_EQ(Points(2), SingleArray(1, std::vector<float>(512, 4095.0f)));
  EXPECT_EQ(Letter(1), "A");
  EXPECT_EQ(Letter(2), "B");
  EXPECT_EQ(State().scanNumber, 2);
  EXPECT_EQ(State().lorvexData, State().lorvexCol->Item(2));
  EXPECT_EQ(ctx_.changes, std::vector<std::string>{"ScanNumber"});
  // What is left is the last 15 characters, "##" included.
  EXPECT_EQ(transfer_, text.substr(text.size() - 15));
}

TEST_F(LorvexParserTest, DecodesOnlyTheLowSixBitsOfEachCharacter) {
  const std::pair<std::string, float> cases[] = {{"\x01@", 1.0f},
                                                 {"\xc1@", 1.0f},
                                                 {"\x7f\x7f", 4095.0f},
                                                 {std::string(2, '\0'), 0.0f},
                                                 {std::string("#\0", 2), 35.0f}};
  for (const auto& [data, expected] : cases) {
    ASSERT_TRUE(Parse(kFraming + Record('A', data + kFull.substr(2))));
    EXPECT_EQ(Points(1).At(1), expected) << int(data[0]) << "," << int(data[1]);
  }
}

TEST_F(LorvexParserTest, ShortDataGivesFewerValuesAndAnOddCharacterHasHighPartZero) {
  const std::tuple<std::string, int32_t, float> cases[] = {
      {Pair(129, 511) + "E", 512, 5.0f}, {Pair(129, 50), 50, 129.0f}, {"", 0, 0.0f}};
  for (const auto& [data, filled, last] : cases) {
    // Text before the first "P" makes up the length and is ignored.
    ASSERT_TRUE(Parse(std::string(1100, 'x') + Record('A', data)));
    const SingleArray points = Points(1);
    ASSERT_EQ(points.LowerBound(), 1);
    ASSERT_EQ(points.UpperBound(), 512);
    for (int32_t i = 1; i <= 512; ++i) {
      ASSERT_EQ(points.At(i), i < filled ? 129.0f : i == filled ? last : 0.0f) << data.size();
    }
  }
}

TEST_F(LorvexParserTest, SplitsOnEveryPAndDropsAHeaderCutShort) {
  const std::string full = Record('A', kFull);
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {full + "\r\n" + Record('B', kFull), {"A", "B"}},                // beyond the 1024th
      {full + "P0123" + Record('B', kFull), {"A"}},                    // cut by the next P
      {kFraming + full + "P0123456789012", {"A"}},                     // cut by the end
      {Record('A', "") + Record('B', kFull) + kFraming, {"A", "B"}}};  // header alone
  for (const auto& [text, letters] : cases) {
    ASSERT_TRUE(Parse(text));
    ASSERT_EQ(State().numberOfScans, static_cast<int32_t>(letters.size()));
    ASSERT_EQ(Count(), State().numberOfScans);
    for (size_t i = 0; i < letters.size(); ++i) EXPECT_EQ(Letter(int32_t(i + 1)), letters[i]);
    EXPECT_EQ(State().scanNumber, State().numberOfScans);
  }
  // A "P" among the data ends that scan.
  ASSERT_TRUE(Parse(Record('A', Pair(7) + Pair(9)) + Record('B', kFull) + kFraming));
  EXPECT_EQ(Points(1).At(2), 9.0f);
  EXPECT_EQ(Points(1).At(3), 0.0f);
  EXPECT_EQ(Letter(2), "B");
}

TEST_F(LorvexParserTest, AFirstRecordCutShortCompletesWithNoScans) {
  auto previous = std::make_shared<CLorvexCls>();
  State().lorvexData = previous;
  State().scanNumber = 4;
  std::string text = std::string(1100, 'x') + "P0123";
  ASSERT_TRUE(Parse(text));
  EXPECT_EQ(State().numberOfScans, 0);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(State().scanNumber, 4);
  EXPECT_EQ(State().lorvexData, previous);
  EXPECT_TRUE(ctx_.changes.empty());
  EXPECT_EQ(transfer_, text);
}

TEST_F(LorvexParserTest, ScalesByDataTypeAndTemperatureUnitIntoTheMoistureSeries) {
  const std::tuple<int32_t, int32_t, int, float> cases[] = {
      {Temperature, Fahrenheit, 250, 77.0f}, {Temperature, Celsius, 250, 25.0f},
      {Moisture, Fahrenheit, 250, 250.0f},   {Burst, Celsius, 250, 250.0f},
      {Temperature, Celsius, 4095, 409.5f},  {Temperature, Fahrenheit, 0, 32.0f}};
  for (const auto& [dataType, units, value, expected] : cases) {
    State().scanDataType = dataType;
    State().tempUnits = units;
    ASSERT_TRUE(Parse(kFraming + Record('A', Pair(value) + kFull.substr(2))));
    const auto record = State().lorvexCol->Item(1);
    EXPECT_EQ(record->ScanData().At(1), expected) << dataType << "/" << units;
    EXPECT_EQ(record->TemperatureData(), SingleArray(0, {0.0f}));
    EXPECT_EQ(record->BurstData(), SingleArray(0, {0.0f}));
  }
}

TEST_F(LorvexParserTest, AnyOtherPointLimitAveragesPairsAndEachScanStartsAfresh) {
  State().pointLimit = Max256;
  const std::string data = Pair(250) + Pair(253) + Pair(1) + Pair(2) + Pair(9, 508);
  ASSERT_TRUE(Parse(kFraming + Record('A', data)));
  const SingleArray points = Points(1);
  EXPECT_EQ(points.UpperBound(), 256);
  EXPECT_EQ(points.At(1), 251.0f);
  EXPECT_EQ(points.At(2), 1.0f);  // rounded toward zero
  EXPECT_EQ(points.At(256), 9.0f);

  const std::string first = Record('A', Pair(10) + Pair(20) + Pair(30));
  ASSERT_TRUE(Parse(std::string(1100, 'x') + first + Record('B', Pair(40) + Pair(50))));
  EXPECT_EQ(Points(1).At(1), 15.0f);
  EXPECT_EQ(Points(1).At(2), 0.0f);  // the odd value 30 is not stored
  EXPECT_EQ(Points(2).At(1), 45.0f);
}

TEST_F(LorvexParserTest, ArrayStartZeroKeepsOneEntryPerScan) {
  for (const auto& [pointLimit, upper] : {std::pair{Max512, 511}, {Max256, 255}}) {
    State().arrayStart = 0;
    State().pointLimit = pointLimit;
    ASSERT_TRUE(
        Parse(Record('A', Pair(3) + Pair(5) + kFull.substr(4)) + Record('B', kFull) + kFraming));
    ASSERT_EQ(State().numberOfScans, 2);
    ASSERT_EQ(Count(), 2);
    const SingleArray first = Points(1);
    EXPECT_EQ(first.LowerBound(), 0);
    EXPECT_EQ(first.UpperBound(), upper);
    EXPECT_EQ(first.At(0), pointLimit == Max512 ? 3.0f : 4.0f);
    EXPECT_EQ(first.At(upper), 129.0f);
    EXPECT_EQ(State().scanTypeLetters.LowerBound(), 0);
    EXPECT_EQ(Letter(1), "A");
    EXPECT_EQ(Letter(2), "B");
    EXPECT_EQ(State().lorvexData, State().lorvexCol->Item(2));
  }
}

TEST_F(LorvexParserTest, FailuresReportTheirCodeAndLeaveThePreviousSelection) {
  struct Case {
    int32_t blueLine, pointLimit;
    std::string text;
    int32_t code;
    const char* description;
    int32_t scansCounted, scansStored;
  };
  const std::string full = Record('C', kFull);
  const char* comport = "Can Not Read Comport";
  const char* invalid = "Invalid Lorvex Scan Data";
  const Case cases[] = {
      {BlueLineAuto, Max512, std::string(1042 - full.size(), 'x') + full, 1, comport, 0, 0},
      {BlueLineAuto, Max512, std::string(5000, 'x'), 1, comport, 0, 0},  // no P
      {BlueLineOn, Max512, full + Record('A', kFull) + full + kFraming, 3, "Blue Line Error", 2, 0},
      {BlueLineAuto, 100, std::string(1000, 'x') + Record('C', Pair(129, 50)) + full + full, 9,
       invalid, 3, 1},                                       // more points than the array
      {BlueLineAuto, 0, kFraming + full, 9, invalid, 1, 0}};  // upper bound below the lower
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.size());
    auto previous = std::make_shared<CLorvexCls>();
    State() = ScanState();
    State().lorvexData = previous;
    State().scanNumber = 7;
    State().blueLineTrigger = c.blueLine;
    State().pointLimit = c.pointLimit;
    const RuntimeError error = ParseFailure(c.text);
    EXPECT_EQ(error.Number(), c.code);
    EXPECT_EQ(error.Source(), "Travimo ActiveX");
    EXPECT_EQ(error.Description(), c.description);
    EXPECT_EQ(State().numberOfScans, c.scansCounted);
    EXPECT_EQ(Count(), c.scansStored);
    EXPECT_EQ(State().scanNumber, 7);
    EXPECT_EQ(State().lorvexData, previous);
    EXPECT_TRUE(ctx_.changes.empty());
    if (c.code == 1) {
      EXPECT_EQ(transfer_, c.text);
    }
  }
}

TEST_F(LorvexParserTest, BlueLineFailureKeepsTheLettersSplitSoFar) {
  State().blueLineTrigger = BlueLineOn;
  const std::string text = Record('C', kFull) + Record('A', kFull) + Record('C', kFull) + kFraming;
  EXPECT_EQ(ParseFailure(text).Number(), 3);
  EXPECT_EQ(transfer_, text.substr(2 * 1039 - 15));  // cut up to the failing record's end
  EXPECT_EQ(Letter(1), "C");
  EXPECT_EQ(Letter(2), "A");
  EXPECT_EQ(State().scanTypeLetters.UpperBound(), 2);

  for (const int32_t mode : {BlueLineAuto, BlueLineOff}) {
    State().blueLineTrigger = mode;
    ASSERT_TRUE(Parse(text));
    EXPECT_EQ(State().numberOfScans, 3);
  }
}

}  // namespace
}  // namespace travimo
