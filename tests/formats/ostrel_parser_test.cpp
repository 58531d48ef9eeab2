#include "formats/ostrel_parser.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "model/enums.h"
#include "model/error.h"
#include "support/caught_error.h"
#include "support/fake_parse_context.h"
#include "support/sample_records.h"

namespace travimo {
namespace {

using testing::FakeParseContext;

const std::string kHeader1 = "SA123400456012.345152403151030";
const std::string kHeader2 = "PA999900077001.000242312312359";

RuntimeError ParseFailure(const std::string& text, FakeParseContext& control) {
  return testing::CaughtError([&] { ParseOstrelData(text, control); });
}

TEST(OstrelParser, ReadsTheOneScanExample) {
  FakeParseContext control;
  control.regional.dateOrder = DateOrder::DayMonthYear;  // the header date is month first
  EXPECT_FALSE(ParseOstrelData(kHeader1 + "01010102 103P0000E", control));
  const ScanState& s = control.state;
  ASSERT_EQ(s.ostrelCol->Count(), 1);
  const auto record = s.ostrelCol->Item(1);
  COstrelCls expected;
  expected.CalibrationConstantA("A1234");
  expected.CalibrationConstantB("00456");
  expected.BasisWeightValue("012.345");
  expected.MeasurementNumber(1);
  expected.SamplingRate(5);
  expected.DateTime(Date::FromCalendar(2024, 3, 15, 10, 30, 0));
  expected.ScanData(SingleArray(1, {101.0f, 102.0f, 103.0f}));
  EXPECT_EQ(*record, expected);
  EXPECT_EQ(s.travimoType, Ostrel);
  EXPECT_EQ(s.numberOfScans, 1);
  EXPECT_EQ(s.numberOfPoints, 3);
  EXPECT_EQ(s.scanNumber, 1);
  EXPECT_EQ(s.ostrelData, record);
  EXPECT_EQ(control.changes, (std::vector<std::string>{"TravimoType", "ScanNumber"}));
}

TEST(OstrelParser, GroupsAreReadByTheirLeadingCharacters) {
  const float inf = std::numeric_limits<float>::infinity();
  const std::string h = kHeader1;
  const std::string e2 = "E" + kHeader2.substr(1);
  // The text, the points of each record from index 1, and the number of points.
  const std::tuple<std::string, std::vector<std::vector<float>>, int32_t> cases[] = {
      {h + "00010002P00000003P0000E", {{1, 2}, {3}}, 1},
      {h + "01010102" + kHeader2 + "0201P0000E", {{101, 102}, {201}}, 1},
      {"xx\1e" + h + "0001P0000E", {{1}}, 1},
      {"S\nA1234\r004\r\n56012.3451524031510\n300001\r00\n02P00\r00E", {{1, 2}}, 2},
      {h + "00010002E", {}, 2},                // points without a scan end
      {h + "00010002P", {}, 2},                // a last P is never examined
      {h + "0001P0000M0002P0000E", {{1}}, 1},  // M ends the transfer
      {h + "0001PE0000002P0000", {{1}}, 1},    // so does PE
      {h + "0001PM", {{1}}, 1},                // and PM
      {h + "00010002P0000", {{1, 2}}, 2},      // end of text stops reading
      {h + "p001e002m003s004P0000E", {{0, 0, 0, 0}}, 4},
      {h + "0007S" + kHeader2.substr(1) + "0008P0000E", {{8}}, 1},  // a non-P header drops
      {h + "00121.5     X1239E99-1.5P0000E", {{12, 1.5f, 0, 0, inf, -1.5f}}, 6},
      {h + "0001P0000" + e2 + "0002P0000E", {{1}, {2}}, 1}};  // a header may start with E
  for (const auto& [text, scans, numberOfPoints] : cases) {
    SCOPED_TRACE(text);
    FakeParseContext control;
    ParseOstrelData(text, control);
    const ScanState& s = control.state;
    ASSERT_EQ(s.ostrelCol->Count(), static_cast<int32_t>(scans.size()));
    for (size_t i = 0; i < scans.size(); ++i) {
      EXPECT_EQ(s.ostrelCol->Item(int32_t(i + 1))->ScanData(), SingleArray(1, scans[i])) << i;
    }
    EXPECT_EQ(s.numberOfPoints, numberOfPoints);
    EXPECT_EQ(s.numberOfScans, static_cast<int32_t>(scans.size()));
  }
}

TEST(OstrelParser, PointsWithoutAScanEndLeaveTheHeaderRecordCurrent) {
  FakeParseContext control;
  control.state.scanNumber = 4;
  ParseOstrelData(kHeader1 + "00010002E", control);
  EXPECT_EQ(control.state.scanNumber, 4);
  EXPECT_EQ(control.state.ostrelData->CalibrationConstantA(), "A1234");
  EXPECT_EQ(control.state.ostrelData->ScanData(), SingleArray(0, {0.0f}));
  EXPECT_EQ(control.changes, (std::vector<std::string>{"TravimoType"}));
}

TEST(OstrelParser, UnconvertibleHeaderFieldsKeepTheirInitialValues) {
  FakeParseContext control;
  ParseOstrelData("SA123400456012.345 xYYMMDDhhmm0001P0000E", control);
  const auto record = control.state.ostrelData;
  EXPECT_EQ(record->MeasurementNumber(), 0);
  EXPECT_EQ(record->SamplingRate(), 0);
  EXPECT_EQ(record->DateTime(), Date());
  EXPECT_EQ(record->ScanData(), SingleArray(1, {1.0f}));
  // A valid time does not rescue a day that does not exist.
  for (const char* dateTime : {"2402301030", "2400151030", "2413151030", "2403001030",
                               " 403151030"}) {
    FakeParseContext other;
    ParseOstrelData("SA123400456012.34515" + std::string(dateTime) + "0001P0000E", other);
    EXPECT_EQ(other.state.ostrelData->DateTime(), Date()) << dateTime;
  }
}

TEST(OstrelParser, WithArrayStartZeroPointsStartAtIndexZero) {
  FakeParseContext control;
  control.state.arrayStart = 0;
  ParseOstrelData(kHeader1 + "000100020003P0000E", control);
  EXPECT_EQ(control.state.ostrelData->ScanData(), SingleArray(0, {1.0f, 2.0f, 3.0f}));
  EXPECT_EQ(control.state.numberOfPoints, 2);

  FakeParseContext empty;
  empty.state.arrayStart = 0;
  EXPECT_NO_THROW(ParseOstrelData(kHeader1 + "E", empty));
  EXPECT_EQ(empty.state.numberOfPoints, 0);
  EXPECT_EQ(empty.state.numberOfScans, 0);
}

TEST(OstrelParser, StopsAtPointIndex32768WithoutARecord) {
  for (const int32_t arrayStart : {1, 0}) {
    FakeParseContext control;
    control.state.arrayStart = arrayStart;
    const int32_t points = 32768 - arrayStart + 1;
    std::string text = kHeader1;
    for (int32_t i = 0; i < points; ++i) text += "0005";
    ParseOstrelData(text + "0009P0000E", control);
    EXPECT_EQ(control.state.ostrelCol->Count(), 0) << arrayStart;
    EXPECT_EQ(control.state.numberOfPoints, 32768) << arrayStart;
  }
}

// A control that has read before, to show what a failure leaves behind.
FakeParseContext WithPreviousRead() {
  FakeParseContext control;
  ParseOstrelData("S" + kHeader2.substr(1) + "0042P0000E", control);
  control.changes.clear();
  return control;
}

TEST(OstrelParser, AFailedStartCheckKeepsThePreviousRead) {
  for (const std::string& text :
       std::vector<std::string>{"", "S", "SB", "xxSX" + kHeader1.substr(2), "sA00"}) {
    SCOPED_TRACE(text);
    FakeParseContext control = WithPreviousRead();
    const auto previousCol = control.state.ostrelCol;
    const auto previousData = control.state.ostrelData;
    const RuntimeError e = ParseFailure(text, control);
    if (text == "sA00") {
      EXPECT_EQ(e.Number(), ErrorNumber::InvalidArgument);  // no "S": read from position 0
      EXPECT_NE(control.state.ostrelCol, previousCol);
      EXPECT_EQ(control.state.ostrelCol->Count(), 0);
    } else {
      EXPECT_EQ(e.Number(), InvalidOstrelDataError);
      EXPECT_EQ(control.state.ostrelCol, previousCol);
    }
    EXPECT_EQ(e.Description(), "Invalid Ostrel Scan Data");
    EXPECT_EQ(e.Source(), StandardDescription(e.Number()));
    EXPECT_EQ(control.state.ostrelData, previousData);
    EXPECT_EQ(control.state.travimoType, Ostrel);
    EXPECT_EQ(control.state.numberOfScans, 1);
  }
}

TEST(OstrelParser, AScanEndWithoutPointsFailsWithSubscriptOutOfRange) {
  const std::string cases[] = {
      kHeader1 + "0001P0000P0000E",
      kHeader1 + "0001P0000" + kHeader2 + "0002P0000E",
  };
  for (const std::string& text : cases) {
    FakeParseContext control = WithPreviousRead();
    const RuntimeError e = ParseFailure(text, control);
    EXPECT_EQ(e.Number(), ErrorNumber::SubscriptOutOfRange);
    EXPECT_EQ(e.Source(), "Subscript out of range");
    EXPECT_EQ(control.state.ostrelCol->Count(), 1);  // the scan before is kept
    EXPECT_EQ(control.state.ostrelData->CalibrationConstantA(), "A1234");
    EXPECT_EQ(control.state.numberOfScans, 1);  // not brought up to date
    EXPECT_EQ(control.state.numberOfPoints, NoLimit);
  }
  // No point at all fails at the final cut.
  FakeParseContext control = WithPreviousRead();
  EXPECT_EQ(ParseFailure(kHeader1 + "E", control).Number(), ErrorNumber::SubscriptOutOfRange);
  EXPECT_EQ(control.state.numberOfPoints, 0);
  EXPECT_EQ(control.state.ostrelCol->Count(), 0);
}

}  // namespace
}  // namespace travimo
