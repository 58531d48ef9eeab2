#include "formats/brevane_parser.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "formats/conversions.h"
#include "model/enums.h"
#include "model/error.h"
#include "support/caught_error.h"
#include "support/fake_parse_context.h"
#include "support/sample_records.h"

namespace travimo {
namespace {

using testing::FakeParseContext;

// The lines joined, each ended by `end`.
std::string Lines(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
  std::string text;
  for (const auto& line : lines) text += line + end;
  return text;
}

RuntimeError ParseFailure(const std::string& text, FakeParseContext& control) {
  return testing::CaughtError([&] { ParseBrevaneData(text, control); });
}

const std::vector<std::string> kExample = {"S", "00# F", "01# 1", "M", "1.5",
                                           "2", "V",     "20",    "Z", "E"};

TEST(BrevaneParser, ReadsTheWorkedExample) {
  FakeParseContext control;
  EXPECT_FALSE(ParseBrevaneData(Lines(kExample), control));
  const ScanState& s = control.state;
  ASSERT_EQ(s.brevaneCol->Count(), 1);
  const auto record = s.brevaneCol->Item(1);
  CBrevaneCls expected;
  expected.ScanNumber(1);
  expected.TypeOfMeasuringHead("F");
  expected.ScanData(SingleArray(0, {1.5f, 2.0f}));
  EXPECT_EQ(*record, expected);
  EXPECT_EQ(s.numberOfScans, 1);
  EXPECT_EQ(s.numberOfPoints, 1);
  EXPECT_EQ(s.scanNumber, 1);
  EXPECT_EQ(s.arrayStart, 0);
  EXPECT_EQ(s.travimoType, Brevane);
  EXPECT_EQ(s.brevaneData, record);
}

TEST(BrevaneParser, TheStartCheckWantsTagZeroAfterTheS) {
  FakeParseContext noisy;
  ParseBrevaneData("\x02junk" + Lines(kExample), noisy);
  EXPECT_EQ(noisy.state.brevaneCol->Count(), 1);

  // CR alone ends lines like CR LF (the round trips send both); LF alone does not.
  const std::string texts[] = {
      "", "S", "S\r0", "S\r01# 1\r", "xS\r\n\r00# F\r", Lines(kExample, "\n")};
  for (const std::string& text : texts) {
    FakeParseContext control;
    control.state.brevaneCol = std::make_shared<CBrevaneColCls>();
    control.state.brevaneCol->Add(std::make_shared<CBrevaneCls>());
    const RuntimeError e = ParseFailure(text, control);
    EXPECT_EQ(e.Number(), InvalidBrevaneDataError) << text;
    EXPECT_EQ(e.Description(), "Invalid Brevane Scan Data");
    EXPECT_EQ(e.Source(), StandardDescription(InvalidBrevaneDataError));
    EXPECT_EQ(control.state.brevaneCol->Count(), 0);
    EXPECT_EQ(control.state.arrayStart, 0);
  }
}

TEST(BrevaneParser, ValueLinesAndSkipping) {
  const float inf = std::numeric_limits<float>::infinity();
  // Lines between "00# F" and "Z", and the values stored; values are read leniently.
  const std::pair<std::vector<std::string>, std::vector<float>> cases[] = {
      {{"1", "", "2"}, {1, 0, 2}},      {{"12.5 %"}, {12.5f}},
      {{"7", "M", "8"}, {7, 8}},    // values before M are stored
      {{"1", "V", "2", "3"}, {1}},  // V skips up to Z
      {{"1", "V", "M", "2"}, {1}},  // M after V does not end skipping
      {{"9E99", "-1E40"}, {inf, -inf}}, {{"m", "v", "e", "z", "4"}, {0, 0, 0, 0, 4}}};
  for (const auto& [body, stored] : cases) {
    std::vector<std::string> lines = {"S", "00# F"};
    lines.insert(lines.end(), body.begin(), body.end());
    lines.insert(lines.end(), {"Z", "E"});
    FakeParseContext control;
    ParseBrevaneData(Lines(lines), control);
    ASSERT_EQ(control.state.brevaneCol->Count(), 1) << body[0];
    EXPECT_EQ(control.state.brevaneCol->Item(1)->ScanData(), SingleArray(0, stored)) << body[0];
  }
}

TEST(BrevaneParser, TagLinesFillTheirFields) {
  FakeParseContext control;
  control.regional.decimalSeparator = ",";
  control.regional.groupingSeparator = ".";
  // Plain text fields are checked by the round trip below.
  ParseBrevaneData(Lines({"S", "00# F", "01#x3.5", "02# -2.5", "03# ID 7 ", "04# 03/15/2024 10:30",
                          "05# 2,5", "08# 2,5", "13# ignored", "1", "Z", "E"}),
                   control);
  const auto r = control.state.brevaneCol->Item(1);
  EXPECT_EQ(r->ScanNumber(), 4);
  EXPECT_EQ(r->MeasurementNumber(), -2);
  EXPECT_EQ(r->IDCode(), "ID 7 ");
  EXPECT_EQ(r->DateTime().ToCalendar(), (CalendarDateTime{2024, 3, 15, 10, 30, 0}));
  EXPECT_EQ(r->BasisWeightValue(), 2.0f);
  EXPECT_EQ(r->SamplingRate(), 2.5f);
}

TEST(BrevaneParser, UnreadableOrShortTagValues) {
  FakeParseContext control;
  ParseBrevaneData(Lines({"S", "00# F", "04# 1/1/2000", "08# 3", "04# letters", "08# letters",
                          "04# 02/30/2024 11:45", "04# 13/01/2024 11:45", "01# 2.5", "03#", "05#", "02# ", "04#", "08#", "1", "Z", "E"}),
                   control);
  const auto r = control.state.brevaneCol->Item(1);
  EXPECT_EQ(r->DateTime().ToCalendar(), (CalendarDateTime{2000, 1, 1, 0, 0, 0}));
  EXPECT_EQ(r->SamplingRate(), 3.0f);
  EXPECT_EQ(r->ScanNumber(), 2);
  EXPECT_EQ(r->IDCode(), "");
  EXPECT_EQ(r->BasisWeightValue(), 0.0f);
}

TEST(BrevaneParser, UnclosedMeasurementsAreCountedButNotAdded) {
  const std::pair<std::string, int32_t> cases[] = {
      {Lines({"S", "00# F", "1", "E"}), 1},
      {Lines({"S", "00# F", "1", "E", "Z", "E"}), 1},      // E before Z
      {Lines({"S", "00# F", "1", "00# F", "2", "E"}), 2},  // two opens, no Z
      {"S\r00# F\r1\rZ", 1}};                              // last Z without CR
  for (const auto& [text, numberOfScans] : cases) {
    SCOPED_TRACE(text);
    FakeParseContext control;
    ParseBrevaneData(text, control);
    EXPECT_EQ(control.state.brevaneCol->Count(), 0);
    EXPECT_EQ(control.state.numberOfScans, numberOfScans);
    EXPECT_EQ(control.state.scanNumber, 0);
    EXPECT_EQ(control.state.brevaneData->TypeOfMeasuringHead(), "");  // a new empty record
  }
}

TEST(BrevaneParser, EachClosedMeasurementKeepsItsOwnValues) {
  FakeParseContext control;
  ParseBrevaneData(
      Lines({"S", "00# F", "1", "2", "00# F", "3", "Z", "00# F", "4", "V", "00# F", "5", "Z", "E"}),
      control);
  ASSERT_EQ(control.state.brevaneCol->Count(), 2);
  EXPECT_EQ(control.state.brevaneCol->Item(1)->ScanData(), SingleArray(0, {3.0f}));
  EXPECT_EQ(control.state.brevaneCol->Item(2)->ScanData(), SingleArray(0, {5.0f}));
  EXPECT_EQ(control.state.numberOfScans, 4);
  EXPECT_EQ(control.state.numberOfPoints, 0);

  // Closed twice: the second close must not write into the first one's series.
  FakeParseContext twice;
  ParseBrevaneData(Lines({"S", "00# F", "1", "2", "Z", "3", "Z", "E"}), twice);
  const auto& col = *twice.state.brevaneCol;
  ASSERT_EQ(col.Count(), 2);
  EXPECT_EQ(col.Item(1)->ScanData(), SingleArray(0, {1.0f, 2.0f}));
  EXPECT_EQ(col.Item(2)->ScanData(), SingleArray(0, {3.0f}));
}

TEST(BrevaneParser, The32769thValueEndsTheParse) {
  std::string text = Lines({"S", "00# F"});
  for (int i = 0; i <= 32768; ++i) text += "1\r";
  text += Lines({"Z", "E"});
  FakeParseContext control;
  ParseBrevaneData(text, control);
  EXPECT_EQ(control.state.brevaneCol->Count(), 0);
  EXPECT_EQ(control.state.numberOfPoints, 32768);
  EXPECT_EQ(control.state.numberOfScans, 1);
}

TEST(BrevaneParser, FailuresCarryTheUnderlyingCode) {
  const struct {
    const char* name;
    std::vector<std::string> lines;
    int32_t code;
    int32_t closed;
    int32_t counted;
  } cases[] = {
      {"Z without values", {"S", "00# F", "1", "Z", "00# F", "Z", "E"}, 9, 1, 2},
      {"all values after V", {"S", "00# F", "V", "1", "Z", "E"}, 9, 0, 1},
      {"01# beyond int32", {"S", "00# F", "01# 1E10", "E"}, 6, 0, 1},
      {"02# beyond int32", {"S", "00# F", "02# -2147483649", "E"}, 6, 0, 1},
      {"08# beyond float", {"S", "00# F", "08# 1E39", "E"}, 6, 0, 1},
      {"tag without a record", {"S", "00# X", "03# id", "E"}, 91, 0, 0},
      {"Z without a record", {"S", "00# X", "1", "Z", "E"}, 91, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeParseContext control;
    const RuntimeError e = ParseFailure(Lines(c.lines), control);
    EXPECT_EQ(e.Number(), c.code);
    EXPECT_EQ(e.Description(), "Invalid Brevane Scan Data");
    EXPECT_EQ(e.Source(), StandardDescription(c.code));
    // What a failure leaves: the measurements closed before it, the count so far.
    EXPECT_EQ(control.state.travimoType, Brevane);
    EXPECT_EQ(control.state.arrayStart, 0);
    EXPECT_EQ(control.state.brevaneCol->Count(), c.closed);
    EXPECT_EQ(control.state.numberOfScans, c.counted);
    EXPECT_EQ(control.state.numberOfPoints, NoLimit);
    EXPECT_EQ(control.state.scanNumber, 1);
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
