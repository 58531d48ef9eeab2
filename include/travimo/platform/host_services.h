#pragma once
// What the host supplies besides the container: clocks, the one-step yield to
// its message processing, timers, the modal message box, the code page and the
// regional settings. Everything the control does on its own initiative happens
// inside Yield(): receive notifications, timer ticks and user input.
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <utility>

#include <travimo/platform/regional_settings.h>

namespace travimo {

// A periodic notification on the host thread, every Interval() ms while enabled.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual int32_t Interval() const = 0;
  virtual void Interval(int32_t milliseconds) = 0;
  virtual bool Enabled() const = 0;
  virtual void Enabled(bool enabled) = 0;
};

// Something the host's yield must service: a serial port, typically. A real
// host also waits on PollDescriptor() so that a yield wakes as data arrives.
class IoSource {
 public:
  virtual ~IoSource() = default;
  virtual int PollDescriptor() const = 0;  // -1 when there is nothing to wait on
  virtual void Service() = 0;
};

// Keeps an IoSource registered for as long as it lives.
class SourceRegistration {
 public:
  SourceRegistration() = default;
  explicit SourceRegistration(std::function<void()> unregister)
      : unregister_(std::move(unregister)) {}
  SourceRegistration(SourceRegistration&& other) noexcept
      : unregister_(std::exchange(other.unregister_, nullptr)) {}
  SourceRegistration& operator=(SourceRegistration&& other) noexcept {
    if (this != &other) {
      Release();
      unregister_ = std::exchange(other.unregister_, nullptr);
    }
    return *this;
  }
  SourceRegistration(const SourceRegistration&) = delete;
  SourceRegistration& operator=(const SourceRegistration&) = delete;
  ~SourceRegistration() { Release(); }

 private:
  void Release() {
    if (unregister_) std::exchange(unregister_, nullptr)();
  }
  std::function<void()> unregister_;
};

enum class MessageBoxIcon { None, Critical, Question, Exclamation, Information };
enum class MessageBoxButtons { Ok, OkCancel, YesNo };
enum class MessageBoxResult { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct MessageBoxRequest {
  std::string text;
  std::string title;
  MessageBoxIcon icon = MessageBoxIcon::None;
  MessageBoxButtons buttons = MessageBoxButtons::Ok;
};

class HostServices {
 public:
  virtual ~HostServices() = default;

  // Wall clock, seconds since local midnight with fractions.
  virtual double SecondsSinceMidnight() = 0;
  // Seconds on a clock that never jumps or wraps; deadlines are measured on it.
  virtual double MonotonicSeconds() = 0;

  // One step of the host's message processing: handles what is ready and,
  // while nothing is, sleeps until something comes (data, a due timer, a key,
  // a signal) or the monotonic clock reaches `until`. May return sooner; a
  // caller that waits tests its condition and yields again. Never spins.
  virtual void YieldUntil(double until) = 0;
  // One step that only handles what is ready now.
  void Yield() { YieldUntil(-std::numeric_limits<double>::infinity()); }

  virtual std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) = 0;
  virtual SourceRegistration AddSource(IoSource& source) = 0;

  // Modal: returns only once the user has dismissed the box.
  virtual MessageBoxResult ShowMessageBox(const MessageBoxRequest& request) = 0;

  // The ANSI code page: one character per byte under a single-byte code page.
  virtual std::string BytesToText(std::span<const uint8_t> bytes) = 0;

  virtual RegionalSettings Regional() = 0;
};

}  // namespace travimo
