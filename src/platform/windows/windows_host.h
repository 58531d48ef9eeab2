#pragma once
// Host services for a Windows process without a window of its own, on the
// shared event loop: a yield is one WaitForMultipleObjects over the registered
// sources' handles, bounded by the caller's deadline, the next timer and a few
// milliseconds; timers tick on the calling thread inside it.
#include <functional>
#include <memory>

#include <travimo/platform/event_loop.h>
#include <travimo/platform/host_services.h>

namespace travimo::windows {

class WindowsHost : public HostServices {
 public:
  using MessageBoxHandler = std::function<MessageBoxResult(const MessageBoxRequest&)>;

  WindowsHost();
  ~WindowsHost() override;
  WindowsHost(const WindowsHost&) = delete;
  WindowsHost& operator=(const WindowsHost&) = delete;

  double SecondsSinceMidnight() override;
  double MonotonicSeconds() override;
  void YieldUntil(double until) override;
  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override;
  // A source's PollDescriptor() carries a waitable handle here.
  SourceRegistration AddSource(IoSource& source) override;
  // The default handler writes the box to stderr and answers Ok.
  MessageBoxResult ShowMessageBox(const MessageBoxRequest& request) override;
  std::string BytesToText(std::span<const uint8_t> bytes) override;
  // The user's settings, read from the Windows locale at each call.
  RegionalSettings Regional() override;

  void OnMessageBox(MessageBoxHandler handler) { messageBox_ = std::move(handler); }

 private:
  EventLoop loop_;
  MessageBoxHandler messageBox_;
};

// The regional settings of the user's Windows locale.
RegionalSettings UserRegionalSettings();

}  // namespace travimo::windows
