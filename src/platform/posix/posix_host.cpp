#include "platform/posix/posix_host.h"

#include <langinfo.h>
#include <locale.h>
#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace travimo::posix {

namespace {

// The longest a yield sleeps when nothing is ready: short enough for a
// responsive wait loop, long enough to cost no noticeable CPU.
constexpr double kMaxWaitSeconds = 0.005;

double Monotonic() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
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

class PosixHost::PosixTimer : public Timer {
 public:
  PosixTimer(PosixHost& host, std::function<void()> onTick)
      : host_(&host), alive_(host.lifetime_), onTick_(std::move(onTick)) {
    host_->timers_.push_back(this);
  }
  ~PosixTimer() override {
    if (alive_.lock()) std::erase(host_->timers_, this);
  }
  PosixTimer(const PosixTimer&) = delete;
  PosixTimer& operator=(const PosixTimer&) = delete;

  int32_t Interval() const override { return interval_; }
  void Interval(int32_t milliseconds) override {
    interval_ = milliseconds;
    deadline_ = Monotonic() + Period();
  }
  bool Enabled() const override { return enabled_; }
  void Enabled(bool enabled) override {
    if (enabled && !enabled_) deadline_ = Monotonic() + Period();
    enabled_ = enabled;
  }

  bool Running() const { return enabled_ && interval_ > 0; }
  double Deadline() const { return deadline_; }

  // One tick per yield at most; a late timer does not fire in bursts.
  void TickIfDue(double now) {
    if (!Running() || now < deadline_) return;
    deadline_ += Period();
    if (deadline_ <= now) deadline_ = now + Period();
    onTick_();
  }

 private:
  double Period() const { return interval_ / 1000.0; }

  PosixHost* host_;
  std::weak_ptr<int> alive_;
  std::function<void()> onTick_;
  int32_t interval_ = 0;
  bool enabled_ = false;
  double deadline_ = 0.0;
};

PosixHost::PosixHost(std::string localeName) : localeName_(std::move(localeName)) {}

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
  return Monotonic();
}

int PosixHost::WaitMilliseconds() {
  double wait = kMaxWaitSeconds;
  const double now = Monotonic();
  for (const auto* timer : timers_) {
    if (timer->Running()) wait = std::min(wait, timer->Deadline() - now);
  }
  return static_cast<int>(std::ceil(std::max(wait, 0.0) * 1000.0));
}

void PosixHost::Yield() {
  std::vector<pollfd> descriptors;
  for (const auto* source : sources_) {
    const int fd = source->PollDescriptor();
    if (fd >= 0) descriptors.push_back({fd, POLLIN, 0});
  }
  ::poll(descriptors.data(), descriptors.size(), WaitMilliseconds());

  TickTimers();
  // A handler may unregister any source, itself included.
  const auto sources = sources_;
  for (auto* source : sources) {
    if (std::find(sources_.begin(), sources_.end(), source) != sources_.end()) source->Service();
  }
}

void PosixHost::TickTimers() {
  const double now = Monotonic();
  const auto timers = timers_;
  for (auto* timer : timers) {
    if (std::find(timers_.begin(), timers_.end(), timer) != timers_.end()) timer->TickIfDue(now);
  }
}

std::unique_ptr<Timer> PosixHost::CreateTimer(std::function<void()> onTick) {
  return std::make_unique<PosixTimer>(*this, std::move(onTick));
}

SourceRegistration PosixHost::AddSource(IoSource& source) {
  sources_.push_back(&source);
  std::weak_ptr<int> alive = lifetime_;
  return SourceRegistration([this, alive, &source] {
    if (alive.lock()) std::erase(sources_, &source);
  });
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
