#pragma once
// Date: days since 30 December 1899 00:00 as a double, the time of day as the
// fraction. Before that day the whole part counts back while the fraction still
// adds time forward (-1.25 is 29 December 1899 06:00).
#include <compare>
#include <string>

namespace travimo {

struct CalendarDateTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  auto operator<=>(const CalendarDateTime&) const = default;
};

class Date {
 public:
  constexpr Date() = default;
  constexpr explicit Date(double days) : days_(days) {}

  // Fields out of their usual range roll over (month 13 is January of the next year).
  static Date FromCalendar(int year, int month, int day, int hour = 0, int minute = 0,
                           int second = 0);
  static bool IsValidCalendarDate(int year, int month, int day);

  constexpr double Value() const { return days_; }
  // Fails with 6 outside 1 January 1 to 31 December 9999.
  CalendarDateTime ToCalendar() const;
  // "YYYY-MM-DDThh:mm:ss"
  std::string ToIsoString() const;

  constexpr auto operator<=>(const Date&) const = default;

 private:
  double days_ = 0.0;
};

}  // namespace travimo
