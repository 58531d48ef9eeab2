#include <travimo/model/date.h>

#include <cmath>
#include <cstdio>

#include <travimo/model/error.h>

namespace travimo {
namespace {

// Days from the civil epoch 1970-01-01 (Howard Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

constexpr long long kEpochOffset = -25569;  // 1899-12-30 relative to 1970-01-01

}  // namespace

Date Date::FromCalendar(int year, int month, int day, int hour, int minute, int second) {
  long long y = year + (month - 1) / 12;
  int m = (month - 1) % 12;
  if (m < 0) {
    m += 12;
    --y;
  }
  const long long days =
      DaysFromCivil(y, static_cast<unsigned>(m + 1), 1) + (day - 1) - kEpochOffset;
  const double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  const double whole = static_cast<double>(days) + std::floor(time);
  const double fraction = time - std::floor(time);
  return Date(whole < 0 ? whole - fraction : whole + fraction);
}

bool Date::IsValidCalendarDate(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int limit = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  return day <= limit;
}

CalendarDateTime Date::ToCalendar() const {
  // Calendar dates run from 1 January 1 to 31 December 9999.
  if (!std::isfinite(days_) || days_ <= -693594.0 || days_ >= 2958466.0) {
    throw RuntimeError(ErrorNumber::Overflow);
  }
  const double whole = std::trunc(days_);
  double fraction = std::fabs(days_ - whole);
  long long seconds = std::llround(fraction * 86400.0);
  long long dayNumber = static_cast<long long>(whole);
  // The fraction always adds time forward, so rounding up to midnight moves to
  // the next calendar day on either side of day 0.
  if (seconds >= 86400) {
    seconds -= 86400;
    dayNumber += 1;
  }
  CalendarDateTime out;
  CivilFromDays(dayNumber + kEpochOffset, out.year, out.month, out.day);
  out.hour = static_cast<int>(seconds / 3600);
  out.minute = static_cast<int>(seconds / 60 % 60);
  out.second = static_cast<int>(seconds % 60);
  return out;
}

std::string Date::ToIsoString() const {
  const CalendarDateTime c = ToCalendar();
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                c.minute, c.second);
  return text;
}

}  // namespace travimo
