#pragma once
// The one dispatch loop behind every host: timers and I/O sources on an
// injected clock, woken by an injected wait. The POSIX host waits in ppoll()
// on the monotonic clock, the test host moves a virtual clock forward, the Qt
// host lets its own event loop wait. Whatever the host, a timer falls due and
// a yield ends by the same rules.
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#include <travimo/platform/host_services.h>

namespace travimo {

class EventLoop {
 public:
  // Seconds on a clock that never jumps back.
  using Clock = std::function<double()>;
  // Blocks until one of the descriptors is readable, a signal comes or the
  // clock reaches `until`; may return sooner, never much later. Returns at
  // once when `until` has come.
  using Wait = std::function<void(std::span<const int> descriptors, double until)>;

  static constexpr double kNever = std::numeric_limits<double>::infinity();

  EventLoop(Clock clock, Wait wait);
  ~EventLoop();
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  double Now() const { return clock_(); }

  // Timers and registrations may outlive the loop; they are inert then.
  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick);
  SourceRegistration AddSource(IoSource& source);

  // One pass: waits until a source's descriptor is ready, a timer falls due
  // or `until` comes, whichever is first; then ticks the due timers and
  // services every source.
  void RunOnce(double until);

  // The parts of a pass, for a host whose own event loop does the waiting.
  double NextDue() const;  // kNever while no timer runs
  void TickDueTimers();
  void ServiceSources();
  std::vector<int> Descriptors() const;
  // Told whenever NextDue() may have changed.
  void OnScheduleChange(std::function<void()> handler);

  // Passes that had to wait: each is one wake-up of the process.
  long Waits() const;

 private:
  class LoopTimer;
  struct State;
  std::shared_ptr<State> state_;
  Clock clock_;
  Wait wait_;
};

}  // namespace travimo
