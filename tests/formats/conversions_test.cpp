#include "formats/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "model/error.h"

namespace travimo {
namespace {

int32_t ErrorOf(auto&& action) {
  try {
    action();
  } catch (const RuntimeError& e) {
    return e.Number();
  }
  return 0;
}

struct LenientCase {
  std::string text;
  double expected;
};

TEST(LenientNumber, ReadsTheLeadingNumber) {
  const LenientCase cases[] = {
      {"12.5 %", 12.5},
      {"1 2", 12},
      {"abc", 0},
      {"", 0},
      {"  -3.25", -3.25},
      {"+7", 7},
      {"\t4\t2.5", 42.5},
      {"1.2.3", 1.2},
      {".5", 0.5},
      {"5.", 5},
      {".", 0},
      {"-", 0},
      {"1E3", 1000},
      {"1e-2", 0.01},
      {"2D2", 200},
      {"2d+1", 20},
      {"1E", 1},
      {"1E+", 1},
      {"3 E 2", 300},
      {"--5", 0},
      {"&HFF", 255},
      {"&hff", 255},
      {"&O17", 15},
      {"&H", 0},
      {"&Hz", 0},
      {"&X1", 0},
      {"0012", 12},
      {" 103", 103},
      {"    ", 0},
      {"1,5", 1},
      {"0.1", 0.1},
      {"0.05", 0.05},
      {"-0.005e2", -0.5},
      {"00.0012", 0.0012},
      {"123456789012345678901234", 123456789012345678901234.0},
  };
  for (const auto& c : cases) EXPECT_EQ(LenientNumber(c.text), c.expected) << '"' << c.text << '"';
}

TEST(LenientNumber, HugeExponentsSaturateWithoutFailing) {
  EXPECT_EQ(LenientNumber("9E99999999999999999999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(LenientNumber("-9E999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(LenientNumber("9E-99999999999999999999"), 0.0);
  EXPECT_EQ(LenientNumber("0E999999"), 0.0);
  EXPECT_EQ(LenientNumber(std::string(400, '0') + "1"), 1.0);
  EXPECT_EQ(LenientNumber("0." + std::string(400, '0') + "1E401"), 1.0);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, int32_t> cases[] = {
      {2.5, 2},
      {3.5, 4},
      {-2.5, -2},
      {-3.5, -4},
      {0.5, 0},
      {1.5, 2},
      {2.4, 2},
      {2.6, 3},
      {-0.4, 0},
      {2147483647.0, 2147483647},
      {-2147483648.0, std::numeric_limits<int32_t>::min()},
      {2147483647.4, 2147483647},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(RoundHalfEven(value), expected) << value;
}

TEST(RoundHalfEven, FailsWithOverflowOutsideInt32) {
  for (const double value :
       {2147483647.5, 2147483648.0, -2147483649.0, 1e300, std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(ErrorOf([&] { RoundHalfEven(value); }), ErrorNumber::Overflow) << value;
  }
}

TEST(NearestSingle, RoundsAndSaturatesToInfinity) {
  EXPECT_EQ(NearestSingle(0.1), 0.1f);
  EXPECT_EQ(NearestSingle(1e39), std::numeric_limits<float>::infinity());
  EXPECT_EQ(NearestSingle(-1e39), -std::numeric_limits<float>::infinity());
  EXPECT_EQ(NearestSingle(3.4028235e38), std::numeric_limits<float>::max());
  EXPECT_EQ(NearestSingle(0x1.fffffefp127), std::numeric_limits<float>::max());
  EXPECT_EQ(NearestSingle(0x1.ffffffp127), std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(NearestSingle(std::numeric_limits<double>::quiet_NaN())));
}

RegionalSettings Comma() {
  RegionalSettings s;
  s.decimalSeparator = ",";
  s.groupingSeparator = ".";
  s.dateOrder = DateOrder::DayMonthYear;
  return s;
}

TEST(LocaleSingle, ReadsUnderTheSettingsSeparators) {
  const RegionalSettings point;
  const struct {
    std::string text;
    const RegionalSettings& settings;
    std::optional<float> expected;
  } cases[] = {
      {"2.5", point, 2.5f},          {"2,5", Comma(), 2.5f},        {"2,5", point, 25.0f},
      {"1,234.5", point, 1234.5f},   {"1.234,5", Comma(), 1234.5f}, {" -3 ", point, -3.0f},
      {"+4", point, 4.0f},           {"1E3", point, 1000.0f},       {"1.5e-1", point, 0.15f},
      {"abc", point, std::nullopt},  {"", point, std::nullopt},     {"  ", point, std::nullopt},
      {"2.5x", point, std::nullopt}, {",5", point, std::nullopt},   {"1E", point, std::nullopt},
      {".5", point, 0.5f},           {"5.", point, 5.0f},           {"1e-60", point, 0.0f},
      {"-", point, std::nullopt},    {"1 2", point, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(LocaleSingle(c.text, c.settings), c.expected) << c.text;
}

TEST(LocaleSingle, FailsWithOverflowBeyondFloatRange) {
  const RegionalSettings point;
  for (const char* text :
       {"1e39", "-4e38", "1e999999", "9999999999999999999999999999999999999999"}) {
    EXPECT_EQ(ErrorOf([&] { LocaleSingle(text, point); }), ErrorNumber::Overflow) << text;
  }
  EXPECT_EQ(LocaleSingle("0.000" + std::string(400, '0') + "1", point), 0.0f);
}

struct DateCase {
  std::string text;
  DateOrder order;
  std::optional<CalendarDateTime> expected;
};

TEST(TextToDate, ReadsDatesAndTimesUnderTheDateOrder) {
  using D = DateOrder;
  const DateCase cases[] = {
      {"03/15/24 10:30", D::MonthDayYear, CalendarDateTime{2024, 3, 15, 10, 30, 0}},
      {"12/31/23 23:59", D::MonthDayYear, CalendarDateTime{2023, 12, 31, 23, 59, 0}},
      {"15.03.2024", D::DayMonthYear, CalendarDateTime{2024, 3, 15, 0, 0, 0}},
      {"2024-03-15 08:05:09", D::MonthDayYear, CalendarDateTime{2024, 3, 15, 8, 5, 9}},
      {"24/03/15", D::YearMonthDay, CalendarDateTime{2024, 3, 15, 0, 0, 0}},
      {"1/2/1999 1:02 PM", D::MonthDayYear, CalendarDateTime{1999, 1, 2, 13, 2, 0}},
      {"1/2/99 12:00 am", D::MonthDayYear, CalendarDateTime{1999, 1, 2, 0, 0, 0}},
      {"01/02/29", D::MonthDayYear, CalendarDateTime{2029, 1, 2, 0, 0, 0}},
      {"01/02/30", D::MonthDayYear, CalendarDateTime{1930, 1, 2, 0, 0, 0}},
      {" 02/29/24 ", D::MonthDayYear, CalendarDateTime{2024, 2, 29, 0, 0, 0}},
      {"13/01/24", D::MonthDayYear, std::nullopt},
      {"02/30/24", D::MonthDayYear, std::nullopt},
      {"02/29/23", D::MonthDayYear, std::nullopt},
      {"03/15-24", D::MonthDayYear, std::nullopt},
      {"03/15/24 25:00", D::MonthDayYear, std::nullopt},
      {"03/15/24 10:60", D::MonthDayYear, std::nullopt},
      {"13:00 PM", D::MonthDayYear, std::nullopt},
      {"ab/cd/ef gh:ij", D::MonthDayYear, std::nullopt},
      {"  /  /   :  ", D::MonthDayYear, std::nullopt},
      {"", D::MonthDayYear, std::nullopt},
      {"03/15/24 10:30 xyz", D::MonthDayYear, std::nullopt},
      {"03/15", D::MonthDayYear, std::nullopt},
  };
  for (const auto& c : cases) {
    RegionalSettings settings;
    settings.dateOrder = c.order;
    const auto date = TryTextToDate(c.text, settings);
    ASSERT_EQ(date.has_value(), c.expected.has_value()) << c.text;
    if (date) {
      EXPECT_EQ(date->ToCalendar(), *c.expected) << c.text;
    }
  }
}

TEST(TextToDate, ATimeAloneIsAFractionOfDayZero) {
  const RegionalSettings settings;
  EXPECT_DOUBLE_EQ(TryTextToDate("12:00", settings)->Value(), 0.5);
  EXPECT_DOUBLE_EQ(TryTextToDate("6:00 PM", settings)->Value(), 0.75);
  EXPECT_DOUBLE_EQ(TryTextToDate("6 AM", settings)->Value(), 0.25);
  EXPECT_DOUBLE_EQ(TryTextToDate("12/30/1899", settings)->Value(), 0.0);
}

TEST(TextToDate, UsesTheSettingsDesignators) {
  RegionalSettings settings;
  settings.pmDesignator = "nm";
  EXPECT_DOUBLE_EQ(TryTextToDate("6:00 nm", settings)->Value(), 0.75);
}

TEST(TextToDate, FailsWithTypeMismatch) {
  const RegionalSettings settings;
  EXPECT_EQ(ErrorOf([&] { TextToDate("not a date", settings); }), ErrorNumber::TypeMismatch);
  EXPECT_EQ(TextToDate("03/15/24", settings).ToCalendar(),
            (CalendarDateTime{2024, 3, 15, 0, 0, 0}));
}

}  // namespace
}  // namespace travimo
