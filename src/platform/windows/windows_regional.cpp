#include "platform/windows/win32.h"
#include "platform/windows/win32_text.h"
#include "platform/windows/windows_host.h"

namespace travimo::windows {

namespace {

std::string LocaleText(LCTYPE type) {
  wchar_t buffer[128] = {};
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 128);
  return length > 1 ? Narrow(std::wstring(buffer, static_cast<size_t>(length - 1))) : "";
}

// The order of day, month and year in a short date pattern such as "dd/MM/yyyy".
DateOrder OrderOf(const std::string& pattern) {
  const size_t day = pattern.find('d');
  const size_t month = pattern.find('M');
  const size_t year = pattern.find('y');
  if (year < month && year < day) return DateOrder::YearMonthDay;
  if (day < month) return DateOrder::DayMonthYear;
  return DateOrder::MonthDayYear;
}

void TakeIfSet(std::string& target, const std::string& value) {
  if (!value.empty()) target = value;
}

}  // namespace

RegionalSettings UserRegionalSettings() {
  RegionalSettings settings;
  const std::string pattern = LocaleText(LOCALE_SSHORTDATE);
  if (!pattern.empty()) settings.dateOrder = OrderOf(pattern);
  TakeIfSet(settings.decimalSeparator, LocaleText(LOCALE_SDECIMAL));
  TakeIfSet(settings.groupingSeparator, LocaleText(LOCALE_STHOUSAND));
  TakeIfSet(settings.amDesignator, LocaleText(LOCALE_S1159));
  TakeIfSet(settings.pmDesignator, LocaleText(LOCALE_S2359));
  // The user's choice of the century window for two-digit years (2049 by default).
  DWORD yearMax = 0;
  if (GetCalendarInfoEx(LOCALE_NAME_USER_DEFAULT, CAL_GREGORIAN, nullptr,
                        CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER, nullptr, 0, &yearMax) != 0 &&
      yearMax >= 2000 && yearMax <= 2099) {
    settings.twoDigitYearPivot = static_cast<int>(yearMax % 100);
  }
  return settings;
}

}  // namespace travimo::windows
