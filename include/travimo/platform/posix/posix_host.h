#pragma once
// Host services for a POSIX process without a window system: the event loop
// on the monotonic clock, waiting in ppoll() over the registered sources'
// descriptors; timers tick on the calling thread inside a yield.
#include <functional>
#include <memory>
#include <string>

#include <travimo/platform/event_loop.h>
#include <travimo/platform/host_services.h>

namespace travimo::posix {

class PosixHost : public HostServices {
 public:
  using MessageBoxHandler = std::function<MessageBoxResult(const MessageBoxRequest&)>;

  // localeName picks the regional settings: "" is the user's environment
  // (LANG, LC_NUMERIC, LC_TIME), as for setlocale.
  explicit PosixHost(std::string localeName = "");
  ~PosixHost() override;
  PosixHost(const PosixHost&) = delete;
  PosixHost& operator=(const PosixHost&) = delete;

  double SecondsSinceMidnight() override;
  double MonotonicSeconds() override;
  void YieldUntil(double until) override;
  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override;
  SourceRegistration AddSource(IoSource& source) override;
  // The default handler writes the box to stderr and answers Ok.
  MessageBoxResult ShowMessageBox(const MessageBoxRequest& request) override;
  std::string BytesToText(std::span<const uint8_t> bytes) override;
  RegionalSettings Regional() override;

  void OnMessageBox(MessageBoxHandler handler) { messageBox_ = std::move(handler); }

 private:
  EventLoop loop_;
  MessageBoxHandler messageBox_;
  std::string localeName_;
};

// The regional settings of a named POSIX locale ("" for the environment's),
// read without touching the process's global locale.
RegionalSettings RegionalSettingsOf(const std::string& localeName);

}  // namespace travimo::posix
