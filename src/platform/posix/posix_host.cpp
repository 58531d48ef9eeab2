#include <travimo/platform/posix/posix_host.h>

#include <langinfo.h>
#include <locale.h>
#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <span>
#include <vector>

#include "platform/posix/monotonic_clock.h"

namespace travimo::posix {

namespace {

// A longer wait ends early: its caller tests again and waits on.
constexpr double kLongestWait = 3600.0;

// ppoll() rather than poll(): a wait must end on its deadline, not on the
// next whole millisecond. A caught signal ends it early (EINTR).
void WaitForInput(std::span<const int> descriptors, double until) {
  std::vector<pollfd> watched;
  watched.reserve(descriptors.size());
  for (const int fd : descriptors) watched.push_back({fd, POLLIN, 0});
  const double left = until - posix::MonotonicSeconds();
  const double wait = left > 0.0 ? std::min(left, kLongestWait) : 0.0;
  const auto whole = static_cast<time_t>(wait);
  const timespec timeout{whole, static_cast<long>((wait - static_cast<double>(whole)) * 1e9)};
  ::ppoll(watched.data(), watched.size(), &timeout, nullptr);
}

// The order of day, month and year in a strftime date format.
DateOrder OrderOf(const std::string& format) {
  if (format.find("%D") != std::string::npos) return DateOrder::MonthDayYear;
  if (format.find("%F") != std::string::npos) return DateOrder::YearMonthDay;
  const auto position = [&](const char* letters) {
    size_t best = std::string::npos;
    for (size_t i = 0; i + 1 < format.size(); ++i) {
      if (format[i] == '%' && std::string_view(letters).find(format[i + 1]) != std::string::npos) {
        best = std::min(best, i);
      }
    }
    return best;
  };
  const size_t day = position("de");
  const size_t month = position("mbB");
  const size_t year = position("yY");
  if (year < month && year < day) return DateOrder::YearMonthDay;
  if (day < month) return DateOrder::DayMonthYear;
  return DateOrder::MonthDayYear;
}

void TakeIfSet(std::string& target, const char* value) {
  if (value != nullptr && *value != '\0') target = value;
}

}  // namespace

RegionalSettings RegionalSettingsOf(const std::string& localeName) {
  RegionalSettings settings;
  locale_t locale = newlocale(LC_NUMERIC_MASK | LC_TIME_MASK, localeName.c_str(), nullptr);
  if (locale == nullptr) locale = newlocale(LC_NUMERIC_MASK | LC_TIME_MASK, "C", nullptr);
  if (locale == nullptr) return settings;
  // A locale that leaves a value empty keeps the default for it.
  settings.dateOrder = OrderOf(nl_langinfo_l(D_FMT, locale));
  TakeIfSet(settings.decimalSeparator, nl_langinfo_l(RADIXCHAR, locale));
  TakeIfSet(settings.groupingSeparator, nl_langinfo_l(THOUSEP, locale));
  TakeIfSet(settings.amDesignator, nl_langinfo_l(AM_STR, locale));
  TakeIfSet(settings.pmDesignator, nl_langinfo_l(PM_STR, locale));
  freelocale(locale);
  return settings;
}

PosixHost::PosixHost(std::string localeName)
    : loop_(posix::MonotonicSeconds, WaitForInput), localeName_(std::move(localeName)) {}

PosixHost::~PosixHost() = default;

double PosixHost::SecondsSinceMidnight() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
         static_cast<double>(now.tv_nsec) / 1e9;
}

double PosixHost::MonotonicSeconds() {
  return posix::MonotonicSeconds();
}

void PosixHost::YieldUntil(double until) {
  loop_.RunOnce(until);
}

std::unique_ptr<Timer> PosixHost::CreateTimer(std::function<void()> onTick) {
  return loop_.CreateTimer(std::move(onTick));
}

SourceRegistration PosixHost::AddSource(IoSource& source) {
  return loop_.AddSource(source);
}

MessageBoxResult PosixHost::ShowMessageBox(const MessageBoxRequest& request) {
  if (messageBox_) return messageBox_(request);
  std::cerr << (request.title.empty() ? "" : request.title + ": ") << request.text << '\n';
  return MessageBoxResult::Ok;
}

std::string PosixHost::BytesToText(std::span<const uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

RegionalSettings PosixHost::Regional() {
  return RegionalSettingsOf(localeName_);
}

}  // namespace travimo::posix
