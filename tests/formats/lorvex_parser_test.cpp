#include "formats/lorvex_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/enums.h"
#include "model/error.h"
#include "sim/lorvex_encoder.h"
#include "support/fake_parse_context.h"

namespace travimo {
namespace {

using testing::FakeParseContext;

// Hand-built records, independent of the encoder: "P", two filler characters,
// the type letter, eleven more filler characters, then the data.
std::string Record(char letter, const std::string& data) {
  return std::string("P01") + letter + "23456789012" + data;
}

std::string Repeat(const std::string& unit, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += unit;
  return out;
}

// 1024 data characters, every pair "AB" = 64 * 2 + 1 = 129.
std::string FullData() {
  return Repeat("AB", 512);
}

// Two characters of data for a value, low six bits first.
std::string Pair(int value) {
  return {static_cast<char>(64 + (value & 63)), static_cast<char>(64 + (value >> 6))};
}

// Four characters of framing so a single full record passes the length test.
const std::string kFraming = "\r\n\r\n";

class LorvexParserTest : public ::testing::Test {
 protected:
  bool Parse(std::string text) {
    transfer_ = std::move(text);
    return ParseLorvexData(transfer_, ctx_);
  }

  RuntimeError ParseFailure(std::string text) {
    try {
      Parse(std::move(text));
    } catch (const RuntimeError& error) {
      return error;
    }
    ADD_FAILURE() << "parse did not fail";
    return RuntimeError(0);
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
  const std::string text = Record('A', FullData()) + Record('B', Repeat(Pair(4095), 512)) + "##";
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
  struct Case {
    std::vector<int> codes;
    float expected;
  };
  const std::vector<Case> cases = {
      {{1, 64}, 1.0f},    {{65, 64}, 1.0f},      {{129, 64}, 1.0f}, {{193, 64}, 1.0f},
      {{65, 66}, 129.0f}, {{127, 127}, 4095.0f}, {{0, 0}, 0.0f},    {{'#', 0}, 35.0f},
  };
  for (const Case& c : cases) {
    std::string data;
    for (const int code : c.codes) data.push_back(static_cast<char>(code));
    ASSERT_TRUE(Parse(kFraming + Record('A', data + FullData().substr(2))));
    EXPECT_EQ(Points(1).At(1), c.expected) << c.codes[0] << "," << c.codes[1];
  }
}

TEST_F(LorvexParserTest, ShortDataGivesFewerValuesAndAnOddCharacterHasHighPartZero) {
  struct Case {
    std::string data;
    int32_t filled;
    float last;
  };
  const std::vector<Case> cases = {
      {Repeat("AB", 511) + "E", 512, 5.0f},  // 1023 characters
      {Repeat("AB", 50), 50, 129.0f},        // 100 characters
      {"", 0, 0.0f},
  };
  for (const Case& c : cases) {
    // Text before the first "P" makes up the length and is ignored.
    ASSERT_TRUE(Parse(std::string(1100, 'x') + Record('A', c.data)));
    const SingleArray points = Points(1);
    ASSERT_EQ(points.LowerBound(), 1);
    ASSERT_EQ(points.UpperBound(), 512);
    for (int32_t i = 1; i <= 512; ++i) {
      const float expected = i < c.filled ? 129.0f : i == c.filled ? c.last : 0.0f;
      ASSERT_EQ(points.At(i), expected) << "data " << c.data.size() << " point " << i;
    }
  }
}

TEST_F(LorvexParserTest, SplitsOnEveryPAndDropsAHeaderCutShort) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> letters;
  };
  const std::string full = Record('A', FullData());
  const std::vector<Case> cases = {
      {"characters beyond the 1024th", full + "\r\n" + Record('B', FullData()), {"A", "B"}},
      {"P among the data", Record('A', "ABAB") + Record('B', FullData()) + kFraming, {"A", "B"}},
      {"header cut by the next P", full + "P0123" + Record('B', FullData()), {"A"}},
      {"header cut by the end", kFraming + full + "P0123456789012", {"A"}},
      {"full header without data",
       Record('A', "") + Record('B', FullData()) + kFraming,
       {"A", "B"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(Parse(c.text));
    ASSERT_EQ(State().numberOfScans, static_cast<int32_t>(c.letters.size()));
    ASSERT_EQ(Count(), State().numberOfScans);
    for (size_t i = 0; i < c.letters.size(); ++i) {
      EXPECT_EQ(Letter(static_cast<int32_t>(i + 1)), c.letters[i]);
    }
    EXPECT_EQ(State().scanNumber, State().numberOfScans);
  }
}

TEST_F(LorvexParserTest, PAmongTheDataEndsThatScan) {
  ASSERT_TRUE(Parse(Record('A', Pair(7) + Pair(9)) + Record('B', FullData()) + kFraming));
  const SingleArray first = Points(1);
  EXPECT_EQ(first.At(1), 7.0f);
  EXPECT_EQ(first.At(2), 9.0f);
  EXPECT_EQ(first.At(3), 0.0f);
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

TEST_F(LorvexParserTest, TheTransferMustBeLongerThan1042Characters) {
  const std::string record = Record('A', FullData());  // 1039 characters
  const RuntimeError error = ParseFailure("abc" + record);
  EXPECT_EQ(error.Number(), 1);
  EXPECT_EQ(error.Description(), "Can Not Read Comport");
  EXPECT_EQ(transfer_, "abc" + record);

  ASSERT_TRUE(Parse("abcd" + record));
  EXPECT_EQ(State().numberOfScans, 1);
}

TEST_F(LorvexParserTest, ScalesByDataTypeAndTemperatureUnit) {
  struct Case {
    int32_t dataType;
    int32_t units;
    int value;
    float expected;
  };
  const std::vector<Case> cases = {
      {Temperature, Fahrenheit, 250, 77.0f}, {Temperature, Celsius, 250, 25.0f},
      {Moisture, Fahrenheit, 250, 250.0f},   {Burst, Celsius, 250, 250.0f},
      {Temperature, Celsius, 4095, 409.5f},  {Temperature, Fahrenheit, 0, 32.0f},
  };
  for (const Case& c : cases) {
    State().scanDataType = c.dataType;
    State().tempUnits = c.units;
    ASSERT_TRUE(Parse(kFraming + Record('A', Pair(c.value) + FullData().substr(2))));
    EXPECT_EQ(Points(1).At(1), c.expected) << c.dataType << "/" << c.units;
  }
}

TEST_F(LorvexParserTest, EveryDataTypeFillsTheMoistureSeriesOnly) {
  State().scanDataType = Burst;
  ASSERT_TRUE(Parse(kFraming + Record('A', FullData())));
  const auto record = State().lorvexCol->Item(1);
  EXPECT_EQ(record->ScanData().At(512), 129.0f);
  EXPECT_EQ(record->TemperatureData(), SingleArray(0, {0.0f}));
  EXPECT_EQ(record->BurstData(), SingleArray(0, {0.0f}));
  EXPECT_EQ(record->ScanNumber(), 1);
}

TEST_F(LorvexParserTest, AnyOtherPointLimitAveragesPairsOfValues) {
  State().pointLimit = Max256;
  const std::string data = Pair(250) + Pair(253) + Pair(1) + Pair(2) + Repeat(Pair(9), 508);
  ASSERT_TRUE(Parse(kFraming + Record('A', data)));
  const SingleArray points = Points(1);
  EXPECT_EQ(points.LowerBound(), 1);
  EXPECT_EQ(points.UpperBound(), 256);
  EXPECT_EQ(points.At(1), 251.0f);
  EXPECT_EQ(points.At(2), 1.0f);  // rounded toward zero
  EXPECT_EQ(points.At(256), 9.0f);
}

TEST_F(LorvexParserTest, EveryScanStartsAveragingWithNothingHeld) {
  State().pointLimit = Max256;
  const std::string first = Record('A', Pair(10) + Pair(20) + Pair(30));
  const std::string second = Record('B', Pair(40) + Pair(50));
  ASSERT_TRUE(Parse(std::string(1100, 'x') + first + second));
  EXPECT_EQ(Points(1).At(1), 15.0f);
  EXPECT_EQ(Points(1).At(2), 0.0f);  // the odd value 30 is not stored
  EXPECT_EQ(Points(2).At(1), 45.0f);
  EXPECT_EQ(Points(2).At(2), 0.0f);
}

TEST_F(LorvexParserTest, ArrayStartZeroKeepsOneEntryPerScan) {
  struct Case {
    int32_t pointLimit;
    int32_t upper;
  };
  for (const Case c : {Case{Max512, 511}, Case{Max256, 255}}) {
    State().arrayStart = 0;
    State().pointLimit = c.pointLimit;
    ASSERT_TRUE(Parse(Record('A', Pair(3) + Pair(5) + FullData().substr(4)) +
                      Record('B', FullData()) + kFraming));
    ASSERT_EQ(State().numberOfScans, 2);
    ASSERT_EQ(Count(), 2);
    const SingleArray first = Points(1);
    EXPECT_EQ(first.LowerBound(), 0);
    EXPECT_EQ(first.UpperBound(), c.upper);
    EXPECT_EQ(first.At(0), c.pointLimit == Max512 ? 3.0f : 4.0f);
    EXPECT_EQ(first.At(c.upper), 129.0f);
    EXPECT_EQ(State().scanTypeLetters.LowerBound(), 0);
    EXPECT_EQ(Letter(1), "A");
    EXPECT_EQ(Letter(2), "B");
    EXPECT_EQ(State().scanNumber, 2);
    EXPECT_EQ(State().lorvexData, State().lorvexCol->Item(2));
  }
}

TEST_F(LorvexParserTest, FailuresReportTheirCodeAndLeaveThePreviousSelection) {
  struct Case {
    const char* name;
    int32_t blueLine;
    int32_t pointLimit;
    std::string text;
    int32_t code;
    const char* description;
    int32_t scansCounted;
    int32_t scansStored;
  };
  const std::string full = Record('C', FullData());
  const std::string shortScan = Record('C', Repeat("AB", 50));
  const std::vector<Case> cases = {
      {"short transfer", BlueLineAuto, Max512, std::string(1042 - full.size(), 'x') + full, 1,
       "Can Not Read Comport", 0, 0},
      {"no P", BlueLineAuto, Max512, std::string(5000, 'x'), 1, "Can Not Read Comport", 0, 0},
      {"blue line", BlueLineOn, Max512, full + Record('A', FullData()) + full + kFraming, 3,
       "Blue Line Error", 2, 0},
      {"more points than the array", BlueLineAuto, 100,
       std::string(1000, 'x') + shortScan + full + full, 9, "Invalid Lorvex Scan Data", 3, 1},
      {"upper bound below the lower", BlueLineAuto, 0, kFraming + full, 9,
       "Invalid Lorvex Scan Data", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
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
  }
}

TEST_F(LorvexParserTest, BlueLineFailureKeepsTheLettersSplitSoFar) {
  State().blueLineTrigger = BlueLineOn;
  const std::string text =
      Record('C', FullData()) + Record('A', FullData()) + Record('C', FullData()) + kFraming;
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

TEST_F(LorvexParserTest, EachParseStartsAFreshCollection) {
  ASSERT_TRUE(Parse(kFraming + Record('A', FullData()) + Record('B', FullData())));
  const auto oldCollection = State().lorvexCol;
  const auto handedOut = State().lorvexCol->Item(1);
  ASSERT_TRUE(Parse(kFraming + Record('C', Repeat(Pair(1), 512))));
  EXPECT_NE(State().lorvexCol, oldCollection);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(State().scanTypeLetters.UpperBound(), 1);
  EXPECT_EQ(handedOut->ScanData().At(1), 129.0f);
}

TEST_F(LorvexParserTest, DecodesWhatTheEncoderWrote) {
  std::vector<sim::LorvexScan> scans;
  for (int s = 0; s < 5; ++s) {
    sim::LorvexScan scan{static_cast<char>('A' + s), {}};
    for (int i = 0; i < 512; ++i) scan.values.push_back(static_cast<uint16_t>((i * 37 + s) % 4096));
    scans.push_back(scan);
  }
  scans[2].values.resize(77);  // padded with zeros
  ASSERT_TRUE(Parse(sim::EncodeLorvexTransfer(scans)));
  ASSERT_EQ(Count(), 5);
  for (int s = 0; s < 5; ++s) {
    std::vector<float> expected(512, 0.0f);
    for (size_t i = 0; i < scans[s].values.size(); ++i) expected[i] = scans[s].values[i];
    EXPECT_EQ(Points(s + 1), SingleArray(1, expected)) << "scan " << s;
    EXPECT_EQ(Letter(s + 1), std::string(1, scans[s].typeLetter));
  }
}

}  // namespace
}  // namespace travimo
