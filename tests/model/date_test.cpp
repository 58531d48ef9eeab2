#include <travimo/model/date.h>

#include <gtest/gtest.h>

#include <limits>

#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include "support/caught_error.h"

namespace travimo {
namespace {

TEST(DateTest, CalendarAndValueConvertBothWays) {
  // Before day 0 the whole part counts back while the fraction still adds time forward.
  const std::pair<CalendarDateTime, double> cases[] = {
      {{1899, 12, 30, 0, 0, 0}, 0.0},         {{1899, 12, 31, 0, 0, 0}, 1.0},
      {{1900, 3, 1, 0, 0, 0}, 61.0},  // 1900 has no 29 February
      {{2024, 3, 15, 10, 30, 0}, 45366.4375}, {{1899, 12, 30, 18, 0, 0}, 0.75},
      {{1899, 12, 29, 6, 0, 0}, -1.25},       {{1899, 12, 28, 0, 0, 0}, -2.0},
      {{1600, 2, 29, 0, 0, 0}, -109512.0},    {{1, 1, 1, 0, 0, 0}, -693593.0},
      {{9999, 12, 31, 0, 0, 0}, 2958465.0}};
  for (const auto& [d, value] : cases) {
    EXPECT_DOUBLE_EQ(Date::FromCalendar(d.year, d.month, d.day, d.hour, d.minute, d.second).Value(),
                     value);
    EXPECT_EQ(Date(value).ToCalendar(), d) << value;
  }
  EXPECT_EQ(Date(-1.25).ToIsoString(), "1899-12-29T06:00:00");
  // Fractions near day 0, and rounding up to the next midnight.
  const double almostOneDay = 1.0 - 1e-9;
  const std::pair<double, CalendarDateTime> oneWay[] = {
      {-0.25, {1899, 12, 30, 6, 0, 0}},           {1.0 + almostOneDay, {1900, 1, 1, 0, 0, 0}},
      {-almostOneDay, {1899, 12, 31, 0, 0, 0}}, {-1.0 - almostOneDay, {1899, 12, 30, 0, 0, 0}}};
  for (const auto& [value, expected] : oneWay) {
    EXPECT_EQ(Date(value).ToCalendar(), expected) << value;
  }
}

TEST(DateTest, FieldsOutOfRangeRollOverButValuesOutOfRangeOverflow) {
  EXPECT_EQ(Date::FromCalendar(2024, 13, 1), Date::FromCalendar(2025, 1, 1));
  EXPECT_EQ(Date::FromCalendar(2024, 0, 1), Date::FromCalendar(2023, 12, 1));
  EXPECT_EQ(Date::FromCalendar(2024, 2, 30), Date::FromCalendar(2024, 3, 1));
  EXPECT_EQ(Date::FromCalendar(1899, 12, 30, -18), Date(-1.25));
  const std::tuple<int, int, int, bool> cases[] = {
      {2024, 2, 29, true}, {2000, 2, 29, true},  {2023, 2, 29, false}, {1900, 2, 29, false},
      {2024, 4, 31, false}, {2024, 0, 1, false}, {2024, 13, 1, false}, {2024, 1, 0, false}};
  for (const auto& [y, m, d, valid] : cases)
    EXPECT_EQ(Date::IsValidCalendarDate(y, m, d), valid) << y << "-" << m << "-" << d;
  // The calendar ends at the years 1 and 9999.
  EXPECT_EQ(Date(2958465.5).ToCalendar().year, 9999);
  for (const double days : {5.6e52, -1e9, 2958466.0, std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(testing::ErrorOf([&] { (void)Date(days).ToCalendar(); }), ErrorNumber::Overflow)
        << days;
  }
}

// Member names that no export, error report or binding shows, and none for
// what is no member.
TEST(EnumsTest, MemberNames) {
  const std::tuple<const char*, int32_t, const char*> cases[] = {
      {"NumberOfPointsEnum", 32768, "No Limit"}, {"TravimoDataTypeEnum", 2, "Burst"},
      {"BlueLineTriggerType", 1, "BlueLineOn"},  {"BlueLineTriggerType", 0, "BlueLineOff"},
      {"TravimoTypeEnum", 1, "Lorvex"},          {"TravimoTypeEnum", 2, "Brevane"},
      {"NumberOfPointsEnum", 100, "<none>"},     {"NoSuchEnum", 1, "<none>"}};
  for (const auto& [enumeration, value, name] : cases) {
    EXPECT_EQ(MemberName(enumeration, value).value_or("<none>"), name) << enumeration << value;
  }
}

}  // namespace
}  // namespace travimo
