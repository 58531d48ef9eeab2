#include "platform/windows/windows_host.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "platform/windows/unique_handle.h"
#include "platform/windows/win32.h"

namespace travimo::windows {

namespace {

// The longest a yield sleeps when nothing is ready: short enough for a
// responsive wait loop, long enough to cost no noticeable CPU.
constexpr double kMaxWaitSeconds = 0.005;

double Monotonic() {
  static const double frequency = [] {
    LARGE_INTEGER value{};
    QueryPerformanceFrequency(&value);
    return static_cast<double>(value.QuadPart);
  }();
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

}  // namespace

class WindowsHost::WindowsTimer : public Timer {
 public:
  WindowsTimer(WindowsHost& host, std::function<void()> onTick)
      : host_(&host), alive_(host.lifetime_), onTick_(std::move(onTick)) {
    host_->timers_.push_back(this);
  }
  ~WindowsTimer() override {
    if (alive_.lock()) std::erase(host_->timers_, this);
  }
  WindowsTimer(const WindowsTimer&) = delete;
  WindowsTimer& operator=(const WindowsTimer&) = delete;

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

  WindowsHost* host_;
  std::weak_ptr<int> alive_;
  std::function<void()> onTick_;
  int32_t interval_ = 0;
  bool enabled_ = false;
  double deadline_ = 0.0;
};

WindowsHost::WindowsHost() = default;

WindowsHost::~WindowsHost() = default;

double WindowsHost::SecondsSinceMidnight() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return local.wHour * 3600.0 + local.wMinute * 60.0 + local.wSecond + local.wMilliseconds / 1000.0;
}

double WindowsHost::MonotonicSeconds() {
  return Monotonic();
}

unsigned long WindowsHost::WaitMilliseconds(double until) {
  const double now = Monotonic();
  double wait = std::min(kMaxWaitSeconds, until - now);
  for (const auto* timer : timers_) {
    if (timer->Running()) wait = std::min(wait, timer->Deadline() - now);
  }
  return static_cast<unsigned long>(std::ceil(std::max(wait, 0.0) * 1000.0));
}

void WindowsHost::YieldUntil(double until) {
  std::vector<HANDLE> handles;
  for (const auto* source : sources_) {
    const int slot = source->PollDescriptor();
    if (slot != -1 && handles.size() < MAXIMUM_WAIT_OBJECTS) {
      handles.push_back(HandleOfWaitSlot(slot));
    }
  }
  const DWORD wait = WaitMilliseconds(until);
  if (handles.empty()) {
    Sleep(wait);
  } else if (WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                    wait) == WAIT_FAILED) {
    Sleep(wait);  // a source offered a stale handle: still no spinning
  }

  TickTimers();
  // A handler may unregister any source, itself included.
  const auto sources = sources_;
  for (auto* source : sources) {
    if (std::find(sources_.begin(), sources_.end(), source) != sources_.end()) source->Service();
  }
}

void WindowsHost::TickTimers() {
  const double now = Monotonic();
  const auto timers = timers_;
  for (auto* timer : timers) {
    if (std::find(timers_.begin(), timers_.end(), timer) != timers_.end()) timer->TickIfDue(now);
  }
}

std::unique_ptr<Timer> WindowsHost::CreateTimer(std::function<void()> onTick) {
  return std::make_unique<WindowsTimer>(*this, std::move(onTick));
}

SourceRegistration WindowsHost::AddSource(IoSource& source) {
  sources_.push_back(&source);
  std::weak_ptr<int> alive = lifetime_;
  return SourceRegistration([this, alive, &source] {
    if (alive.lock()) std::erase(sources_, &source);
  });
}

MessageBoxResult WindowsHost::ShowMessageBox(const MessageBoxRequest& request) {
  if (messageBox_) return messageBox_(request);
  std::cerr << (request.title.empty() ? "" : request.title + ": ") << request.text << '\n';
  return MessageBoxResult::Ok;
}

std::string WindowsHost::BytesToText(std::span<const uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

RegionalSettings WindowsHost::Regional() {
  return UserRegionalSettings();
}

}  // namespace travimo::windows
