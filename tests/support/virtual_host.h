#pragma once
// A host whose clock is virtual: it runs the shipped event loop, but instead
// of sleeping a wait moves the clock straight to the next scripted action,
// the next due timer or the wait's end, whichever comes first. A 36-second
// read cycle runs in milliseconds.
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include <travimo/platform/event_loop.h>
#include <travimo/platform/host_services.h>

namespace travimo::testing {

class VirtualHost : public HostServices {
 public:
  // Monotonic time starts at 0; the wall clock at startOfDay seconds after midnight.
  explicit VirtualHost(double startOfDay = 10 * 3600.0);

  double SecondsSinceMidnight() override;
  double MonotonicSeconds() override { return now_; }
  void YieldUntil(double until) override;
  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override;
  SourceRegistration AddSource(IoSource& source) override;
  MessageBoxResult ShowMessageBox(const MessageBoxRequest& request) override;
  std::string BytesToText(std::span<const uint8_t> bytes) override;
  RegionalSettings Regional() override { return regional_; }

  // Scripting.
  // Runs action inside the first yield at or after the monotonic time `at`;
  // a wait ends there.
  void At(double at, std::function<void()> action);
  // Yields until the clock has advanced by seconds.
  void RunFor(double seconds);
  void SetRegional(const RegionalSettings& settings) { regional_ = settings; }
  // Maps bytes to characters; the default is one char per byte, unchanged.
  void SetCodePage(std::function<char(uint8_t)> map) { codePage_ = std::move(map); }

  // Observation.
  const std::vector<MessageBoxRequest>& MessageBoxes() const { return boxes_; }
  long Waits() const { return loop_.Waits(); }

 private:
  void Advance(double until);

  double startOfDay_;
  double now_ = 0.0;
  std::multimap<double, std::function<void()>> actions_;
  EventLoop loop_;
  std::vector<MessageBoxRequest> boxes_;
  std::function<char(uint8_t)> codePage_;
  RegionalSettings regional_;
};

}  // namespace travimo::testing
