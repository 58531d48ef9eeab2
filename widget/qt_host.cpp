#include "widget/qt_host.h"

#include <poll.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <span>

#include "widget/qt_mapping.h"

namespace travimo::qt {

namespace {

// Qt's timers count whole milliseconds; rounding up never wakes a wait early.
int MillisecondsUntil(double until, double now) {
  return static_cast<int>(std::ceil(std::max(0.0, until - now) * 1000.0));
}

QMessageBox::Icon IconOf(MessageBoxIcon icon) {
  switch (icon) {
    case MessageBoxIcon::Critical:
      return QMessageBox::Critical;
    case MessageBoxIcon::Question:
      return QMessageBox::Question;
    case MessageBoxIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageBoxIcon::Information:
      return QMessageBox::Information;
    case MessageBoxIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(MessageBoxButtons buttons) {
  switch (buttons) {
    case MessageBoxButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageBoxButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageBoxButtons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

MessageBoxResult ResultOf(int button) {
  switch (button) {
    case QMessageBox::Cancel:
      return MessageBoxResult::Cancel;
    case QMessageBox::Yes:
      return MessageBoxResult::Yes;
    case QMessageBox::No:
      return MessageBoxResult::No;
    default:
      return MessageBoxResult::Ok;
  }
}

// A descriptor that reports a hang-up with nothing left to read would wake a
// read notifier over and over.
bool OnlyHungUp(int fd) {
  pollfd descriptor{fd, POLLIN, 0};
  if (::poll(&descriptor, 1, 0) <= 0) return false;
  return (descriptor.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 &&
         (descriptor.revents & POLLIN) == 0;
}

}  // namespace

// A source as the loop sees it: Qt's dispatch must never see an exception,
// so a source's failure stays its own to report.
struct QtHost::Watch : IoSource {
  explicit Watch(IoSource& watched) : source(&watched) {}
  int PollDescriptor() const override { return source->PollDescriptor(); }
  void Service() override {
    try {
      source->Service();
    } catch (...) {
    }
  }

  void Drop() {
    if (!notifier) return;
    // The notifier may be the one whose signal is running now.
    notifier->setEnabled(false);
    notifier->disconnect();
    notifier.release()->deleteLater();
  }
  ~Watch() override { Drop(); }

  IoSource* source;
  int fd = -1;
  std::unique_ptr<QSocketNotifier> notifier;
  SourceRegistration registration;
};

QtHost::QtHost()
    : loop_(SteadySeconds, [this](std::span<const int>, double until) { Wait(until); }) {
  // One Qt timer stands for all of the loop's: it fires when the next falls due.
  pump_.setSingleShot(true);
  pump_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&pump_, &QTimer::timeout, [this] { loop_.TickDueTimers(); });
  loop_.OnScheduleChange([this] { ArmPump(); });
  // A port closed outside a yield must lose its notifier before Qt polls again.
  if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
    beforeBlocking_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                                       [this] { SyncNotifiers(); });
  }
}

QtHost::~QtHost() {
  QObject::disconnect(beforeBlocking_);
  loop_.OnScheduleChange(nullptr);
}

double QtHost::SecondsSinceMidnight() {
  return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

double QtHost::MonotonicSeconds() {
  return SteadySeconds();
}

double QtHost::SteadySeconds() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

void QtHost::YieldUntil(double until) {
  loop_.RunOnce(until);
  SyncNotifiers();
}

// The loop's wait: one pass of Qt's event processing, which returns once it
// has handled something. The notifiers and the pump wake it for sources and
// timers; a timer of its own for the wait's end (one per call, so that a
// nested wait cannot stop the outer one's).
void QtHost::Wait(double until) {
  SyncNotifiers();
  const double now = loop_.Now();
  if (!(until > now)) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  QTimer wake;
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  if (std::isfinite(until)) wake.start(MillisecondsUntil(until, now));
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtHost::ArmPump() {
  const double next = loop_.NextDue();
  if (std::isinf(next)) {
    pump_.stop();
  } else {
    pump_.start(MillisecondsUntil(next, loop_.Now()));
  }
}

std::unique_ptr<Timer> QtHost::CreateTimer(std::function<void()> onTick) {
  // A tick runs inside Qt's dispatch, which must never see an exception.
  return loop_.CreateTimer([onTick = std::move(onTick)] {
    try {
      onTick();
    } catch (...) {
    }
  });
}

SourceRegistration QtHost::AddSource(IoSource& source) {
  auto watch = std::make_unique<Watch>(source);
  // Not asked for its descriptor yet: a source registers while it is still being built.
  watch->registration = loop_.AddSource(*watch);
  watches_.push_back(std::move(watch));
  std::weak_ptr<int> alive = lifetime_;
  return SourceRegistration([this, alive, &source] {
    if (!alive.lock()) return;
    std::erase_if(watches_, [&](const auto& w) { return w->source == &source; });
  });
}

// A source's descriptor comes and goes as its port opens and closes.
void QtHost::SyncNotifiers() {
  for (const auto& watch : watches_) {
    const int fd = watch->source->PollDescriptor();
    if (fd == watch->fd) continue;
    watch->Drop();
    watch->fd = fd;
    if (fd < 0) continue;
    watch->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    IoSource* source = watch->source;
    QObject::connect(watch->notifier.get(), &QSocketNotifier::activated,
                     [this, source] { ServiceOne(source); });
  }
}

void QtHost::ServiceOne(IoSource* source) {
  const auto found = std::find_if(watches_.begin(), watches_.end(),
                                  [&](const auto& w) { return w->source == source; });
  if (found == watches_.end()) return;
  (*found)->Service();
  SyncNotifiers();
  for (const auto& watch : watches_) {
    if (watch->source == source && watch->notifier && OnlyHungUp(watch->fd)) {
      watch->notifier->setEnabled(false);
    }
  }
}

MessageBoxResult QtHost::ShowMessageBox(const MessageBoxRequest& request) {
  if (messageBox_) return messageBox_(request);
  QMessageBox box(IconOf(request.icon), ToQString(request.title), ToQString(request.text),
                  ButtonsOf(request.buttons));
  return ResultOf(box.exec());
}

std::string QtHost::BytesToText(std::span<const uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

RegionalSettings QtHost::Regional() {
  return RegionalSettingsOf(locale_);
}

}  // namespace travimo::qt
