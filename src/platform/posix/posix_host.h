#pragma once
// Host services for a POSIX process without a window system: a yield is one
// poll() over the registered sources' descriptors, bounded by the next timer
// deadline and a few milliseconds; timers tick on the calling thread inside it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/host_services.h"

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
  void Yield() override;
  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override;
  SourceRegistration AddSource(IoSource& source) override;
  // The default handler writes the box to stderr and answers Ok.
  MessageBoxResult ShowMessageBox(const MessageBoxRequest& request) override;
  std::string BytesToText(std::span<const uint8_t> bytes) override;
  RegionalSettings Regional() override;

  void OnMessageBox(MessageBoxHandler handler) { messageBox_ = std::move(handler); }

 private:
  class PosixTimer;
  int WaitMilliseconds();
  void TickTimers();

  std::vector<PosixTimer*> timers_;
  std::vector<IoSource*> sources_;
  MessageBoxHandler messageBox_;
  std::string localeName_;
  // Timers and registrations that outlive the host must not touch it.
  std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

// The regional settings of a named POSIX locale ("" for the environment's),
// read without touching the process's global locale.
RegionalSettings RegionalSettingsOf(const std::string& localeName);

}  // namespace travimo::posix
