#include "formats/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include <travimo/model/error.h>
#include "support/caught_error.h"

namespace travimo {
namespace {

using testing::ErrorOf;

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
  const RegionalSettings point;
  RegionalSettings comma;
  comma.decimalSeparator = ",";
  comma.groupingSeparator = ".";
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
  using D = DateOrder;
  using C = CalendarDateTime;
  const std::optional<C> none;
  const std::tuple<std::string, DateOrder, std::optional<C>> cases[] = {
      {"03/15/24 10:30", D::MonthDayYear, C{2024, 3, 15, 10, 30, 0}},
      {"15.03.2024", D::DayMonthYear, C{2024, 3, 15, 0, 0, 0}},
      {"2024-03-15 08:05:09", D::MonthDayYear, C{2024, 3, 15, 8, 5, 9}},
      {"24/03/15", D::YearMonthDay, C{2024, 3, 15, 0, 0, 0}},
      {"1/2/1999 1:02 PM", D::MonthDayYear, C{1999, 1, 2, 13, 2, 0}},
      {"1/2/99 12:00 am", D::MonthDayYear, C{1999, 1, 2, 0, 0, 0}},
      {"01/02/29", D::MonthDayYear, C{2029, 1, 2, 0, 0, 0}},
      {"01/02/30", D::MonthDayYear, C{1930, 1, 2, 0, 0, 0}},
      {" 02/29/24 ", D::MonthDayYear, C{2024, 2, 29, 0, 0, 0}},
      {" 3/ 5/24  9: 5", D::MonthDayYear, C{2024, 3, 5, 9, 5, 0}},
      {"12/30/1899", D::MonthDayYear, C{1899, 12, 30, 0, 0, 0}},
      {"12:00", D::MonthDayYear, C{1899, 12, 30, 12, 0, 0}},  // a time alone is on day 0
      {"6 AM", D::MonthDayYear, C{1899, 12, 30, 6, 0, 0}},
      {"6:00 nm", D::MonthDayYear, C{1899, 12, 30, 18, 0, 0}},  // the settings' PM designator
      // No real day refuses the time with it.
      {"13/01/24", D::MonthDayYear, none},       {"02/30/24", D::MonthDayYear, none},
      {"02/30/24 10:30", D::MonthDayYear, none}, {"00/15/24 10:30", D::MonthDayYear, none},
      {"03/00/24 10:30", D::MonthDayYear, none}, {"03/15/ 4 10:30", D::MonthDayYear, none},
      {"03/15-24", D::MonthDayYear, none},       {"03/15/24 25:00", D::MonthDayYear, none},
      {"03/15/24 10:60", D::MonthDayYear, none}, {"13:00 PM", D::MonthDayYear, none},
      {"  /  /   :  ", D::MonthDayYear, none},   {"", D::MonthDayYear, none},
      {"03/15", D::MonthDayYear, none},          {"03/15/24 10:30 xyz", D::MonthDayYear, none}};
  for (const auto& [text, order, expected] : cases) {
    RegionalSettings settings;
    settings.dateOrder = order;
    settings.pmDesignator = "nm";
    const auto date = TryTextToDate(text, settings);
    ASSERT_EQ(date.has_value(), expected.has_value()) << text;
    if (date) {
      EXPECT_EQ(date->ToCalendar(), *expected) << text;
    }
  }
  EXPECT_EQ(ErrorOf([] { TextToDate("not a date", {}); }), ErrorNumber::TypeMismatch);
}

}  // namespace
}  // namespace travimo
