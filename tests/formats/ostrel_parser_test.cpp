#include "formats/ostrel_parser.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include "support/caught_error.h"
#include "support/fake_parse_context.h"
#include "support/named_fields.h"
#include "support/sample_records.h"

namespace travimo {
namespace {

using testing::FakeParseContext;

const std::string kHeader1 = "SA123400456012.345152403151030";
const std::string kHeader2 = "PA999900077001.000242312312359";

COstrelCls Header(const char* a, const char* b, const char* weight, int32_t number, int32_t rate,
                  Date date) {
  return testing::WithFields<COstrelCls>(
      {{"CalibrationConstantA", a}, {"CalibrationConstantB", b}, {"BasisWeightValue", weight},
       {"MeasurementNumber", number}, {"SamplingRate", rate}, {"DateTime", date}});
}
const COstrelCls kH1 =
    Header("A1234", "00456", "012.345", 1, 5, Date::FromCalendar(2024, 3, 15, 10, 30, 0));
const COstrelCls kH2 =
    Header("A9999", "00077", "001.000", 2, 4, Date::FromCalendar(2023, 12, 31, 23, 59, 0));

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
               {Scan(Header("A1234", "00456", "012.345", 1, 5, Date()), {1})},
               1};
  };
  std::string longest = h;
  for (int32_t i = 0; i < 32768; ++i) longest += "0005";
  const int32_t subscript = ErrorNumber::SubscriptOutOfRange;
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
      {h + "0007S" + kHeader2.substr(1) + "0008P0000E",
       {Scan(kH2, {8})},
       1},  // a non-P header drops
      {h + "00121.5     X1239E99-1.5P0000E", {Scan(kH1, {12, 1.5f, 0, 0, inf, -1.5f})}, 6},
      {h + "0001P0000E" + kHeader2.substr(1) + "0002P0000E", {Scan(kH1, {1}), Scan(kH2, {2})}, 1},
      // Unconvertible header fields keep their initial values; a valid time
      // does not rescue a day that does not exist.
      {"SA123400456012.345 xYYMMDDhhmm0001P0000E",
       {Scan(Header("A1234", "00456", "012.345", 0, 0, Date()), {1})},
       1},
      undated("2402301030"),
      undated("2400151030"),
      undated("2413151030"),
      undated("2403001030"),
      undated(" 403151030"),
      {h + "000100020003P0000E", {Scan(kH1, {1, 2, 3}, 0)}, 2, 0, 0},
      {h + "E", {}, 0, 0, 0, kH1},
      // Point index 32768 ends the parse without a record.
      {longest + "0009P0000E", {}, 32768, 0, 1, kH1},
      {longest + "00050009P0000E", {}, 32768, 0, 0, kH1},
      // Failures: the start check keeps the previous read; without "S" the
      // parse reads from position 0; a scan end without points.
      {"SB", {previous}, NoLimit, InvalidOstrelDataError, 1, previous},
      {"", {previous}, NoLimit, InvalidOstrelDataError, 1, previous},
      {"S", {previous}, NoLimit, InvalidOstrelDataError, 1, previous},
      {"xxSX123400456012.345152403151030", {previous}, NoLimit, InvalidOstrelDataError, 1,
       previous},
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
    if (row.code == 0) {
      EXPECT_FALSE(ParseOstrelData(row.text, control));
    } else {
      const RuntimeError e = testing::CaughtError([&] { ParseOstrelData(row.text, control); });
      EXPECT_EQ(e.Number(), row.code);
      EXPECT_EQ(e.Description(), "Invalid Ostrel Scan Data");
      EXPECT_EQ(e.Source(), StandardDescription(row.code));
    }
    ASSERT_EQ(s.ostrelCol->Count(), static_cast<int32_t>(row.stored.size()));
    for (size_t i = 0; i < row.stored.size(); ++i) {
      EXPECT_EQ(*s.ostrelCol->Item(int32_t(i + 1)), row.stored[i]) << i;
    }
    EXPECT_EQ(s.travimoType, Ostrel);
    EXPECT_EQ(s.numberOfPoints, row.points);
    EXPECT_EQ(*s.ostrelData, row.current ? *row.current : row.stored.back());
    // A failure leaves the count and the selection of the read before.
    const auto n = static_cast<int32_t>(row.stored.size());
    const bool selects = row.code == 0 && n > 0;
    EXPECT_EQ(s.numberOfScans, row.code == 0 ? n : 1);
    EXPECT_EQ(s.scanNumber, selects ? n : 7);
    if (selects) {
      EXPECT_EQ(s.ostrelData, s.ostrelCol->Item(n));
      EXPECT_EQ(control.changes, (std::vector<std::string>{"TravimoType", "ScanNumber"}));
    }
  }
}

}  // namespace
}  // namespace travimo
