#include "model/date.h"

#include <gtest/gtest.h>

#include <limits>

#include "model/error.h"

namespace travimo {
namespace {

struct DateCase {
  CalendarDateTime calendar;
  double value;
};

// Before day 0 the whole part counts back while the fraction still adds time forward.
const DateCase kDates[] = {
    {{1899, 12, 30, 0, 0, 0}, 0.0},
    {{1899, 12, 31, 0, 0, 0}, 1.0},
    {{1900, 1, 1, 0, 0, 0}, 2.0},
    {{1900, 3, 1, 0, 0, 0}, 61.0},  // 1900 has no 29 February
    {{2024, 3, 15, 10, 30, 0}, 45366.4375},
    {{1899, 12, 30, 18, 0, 0}, 0.75},
    {{1899, 12, 29, 6, 0, 0}, -1.25},
    {{1899, 12, 28, 0, 0, 0}, -2.0},
    {{1800, 1, 1, 12, 0, 0}, -36522.5},
    {{1600, 2, 29, 0, 0, 0}, -109512.0},
    {{1, 1, 1, 0, 0, 0}, -693593.0},
    {{9999, 12, 31, 0, 0, 0}, 2958465.0},
};

TEST(DateTest, CalendarToValue) {
  for (const DateCase& c : kDates) {
    const CalendarDateTime& d = c.calendar;
    EXPECT_DOUBLE_EQ(Date::FromCalendar(d.year, d.month, d.day, d.hour, d.minute, d.second).Value(),
                     c.value)
        << Date(c.value).ToIsoString();
  }
}

TEST(DateTest, ValueToCalendar) {
  for (const DateCase& c : kDates) {
    EXPECT_EQ(Date(c.value).ToCalendar(), c.calendar) << c.value;
  }
}

TEST(DateTest, FractionBetweenMinusOneAndZeroIsATimeOnDayZero) {
  EXPECT_EQ(Date(-0.25).ToCalendar(), (CalendarDateTime{1899, 12, 30, 6, 0, 0}));
}

TEST(DateTest, RoundingToMidnightMovesToTheNextDay) {
  const double almostOneDay = 1.0 - 1e-9;
  struct Case {
    double value;
    CalendarDateTime expected;
  };
  const Case cases[] = {
      {1.0 + almostOneDay, {1900, 1, 1, 0, 0, 0}},
      {-almostOneDay, {1899, 12, 31, 0, 0, 0}},
      {-1.0 - almostOneDay, {1899, 12, 30, 0, 0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(Date(c.value).ToCalendar(), c.expected) << c.value;
}

TEST(DateTest, FieldsOutOfRangeRollOver) {
  EXPECT_EQ(Date::FromCalendar(2024, 13, 1), Date::FromCalendar(2025, 1, 1));
  EXPECT_EQ(Date::FromCalendar(2024, 0, 1), Date::FromCalendar(2023, 12, 1));
  EXPECT_EQ(Date::FromCalendar(2024, 2, 30), Date::FromCalendar(2024, 3, 1));
  EXPECT_EQ(Date::FromCalendar(2024, 3, 1, 24), Date::FromCalendar(2024, 3, 2));
  EXPECT_EQ(Date::FromCalendar(1899, 12, 30, -18), Date(-1.25));
}

TEST(DateTest, ValidCalendarDates) {
  struct Case {
    int year, month, day;
    bool valid;
  };
  const Case cases[] = {
      {2024, 2, 29, true}, {2023, 2, 29, false}, {1900, 2, 29, false},
      {2000, 2, 29, true}, {2024, 4, 31, false}, {2024, 12, 31, true},
      {2024, 0, 1, false}, {2024, 13, 1, false}, {2024, 1, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Date::IsValidCalendarDate(c.year, c.month, c.day), c.valid)
        << c.year << "-" << c.month << "-" << c.day;
  }
}

TEST(DateTest, IsoText) {
  EXPECT_EQ(Date(45366.4375).ToIsoString(), "2024-03-15T10:30:00");
  EXPECT_EQ(Date(-1.25).ToIsoString(), "1899-12-29T06:00:00");
}

TEST(DateTest, CalendarRangeEndsAtTheYears1And9999) {
  EXPECT_EQ(Date(2958465.5).ToCalendar().year, 9999);
  EXPECT_EQ(Date(-693593.0).ToCalendar().year, 1);
  for (const double days : {5.6e52, -1e9, 2958466.0, std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()}) {
    try {
      (void)Date(days).ToCalendar();
      ADD_FAILURE() << days << " converted";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), ErrorNumber::Overflow) << days;
    }
  }
}

}  // namespace
}  // namespace travimo
