#pragma once
// Host services over Qt's event loop: the shared event loop, with a pass of
// Qt's event processing as its wait. Sources are also watched by socket
// notifiers and the timers tick from one Qt timer, so data and ticks are
// taken while no read waits too.
#include <QLocale>
#include <QMetaObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include <travimo/platform/event_loop.h>
#include <travimo/platform/host_services.h>

class QSocketNotifier;

namespace travimo::qt {

class QtHost : public HostServices {
 public:
  using MessageBoxHandler = std::function<MessageBoxResult(const MessageBoxRequest&)>;

  QtHost();
  ~QtHost() override;
  QtHost(const QtHost&) = delete;
  QtHost& operator=(const QtHost&) = delete;

  double SecondsSinceMidnight() override;
  double MonotonicSeconds() override;
  void YieldUntil(double until) override;
  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override;
  SourceRegistration AddSource(IoSource& source) override;
  // A QMessageBox unless a handler has been given (tests answer without a user).
  MessageBoxResult ShowMessageBox(const MessageBoxRequest& request) override;
  std::string BytesToText(std::span<const uint8_t> bytes) override;
  RegionalSettings Regional() override;

  void OnMessageBox(MessageBoxHandler handler) { messageBox_ = std::move(handler); }
  void Locale(const QLocale& locale) { locale_ = locale; }
  // Follows the sources' descriptors now; for a host that knows a port has
  // just closed (Qt warns about a notifier on a closed descriptor).
  void SyncSources() { SyncNotifiers(); }

 private:
  struct Watch;
  static double SteadySeconds();
  void Wait(double until);
  void ArmPump();
  void SyncNotifiers();
  void ServiceOne(IoSource* source);

  QTimer pump_;
  EventLoop loop_;  // after pump_, which it re-arms while it lives
  std::vector<std::unique_ptr<Watch>> watches_;
  MessageBoxHandler messageBox_;
  QLocale locale_;
  // Registrations that outlive the host must not touch it.
  std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
  QMetaObject::Connection beforeBlocking_;
};

}  // namespace travimo::qt
