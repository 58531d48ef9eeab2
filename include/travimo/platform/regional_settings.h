#pragma once
// The user's regional settings that the date and number conversions follow.
#include <string>

namespace travimo {

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

struct RegionalSettings {
  DateOrder dateOrder = DateOrder::MonthDayYear;
  std::string decimalSeparator = ".";
  std::string groupingSeparator = ",";
  std::string amDesignator = "AM";
  std::string pmDesignator = "PM";
  // Two-digit years up to this value are 20YY, above it 19YY.
  int twoDigitYearPivot = 29;

  bool operator==(const RegionalSettings&) const = default;
};

}  // namespace travimo
