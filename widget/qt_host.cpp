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

#include "widget/qt_mapping.h"

namespace travimo::qt {

namespace {

// The longest a yield sleeps when nothing is ready: short enough for a
// responsive wait loop, long enough to cost no noticeable CPU.
constexpr int kWakeMilliseconds = 5;

class QtTimer : public Timer {
 public:
  explicit QtTimer(std::function<void()> onTick) : onTick_(std::move(onTick)) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      // A tick runs inside Qt's dispatch, which must never see an exception.
      try {
        onTick_();
      } catch (...) {
      }
    });
  }

  int32_t Interval() const override { return interval_; }
  void Interval(int32_t milliseconds) override {
    interval_ = milliseconds;
    Apply(true);
  }
  bool Enabled() const override { return enabled_; }
  void Enabled(bool enabled) override {
    const bool starting = enabled && !enabled_;
    enabled_ = enabled;
    Apply(starting);
  }

 private:
  // A period of 0 never ticks; a changed period counts afresh from now.
  void Apply(bool restart) {
    if (!enabled_ || interval_ <= 0) {
      timer_.stop();
    } else if (restart || !timer_.isActive()) {
      timer_.start(interval_);
    }
  }

  std::function<void()> onTick_;
  QTimer timer_;
  int32_t interval_ = 0;
  bool enabled_ = false;
};

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

struct QtHost::Watch {
  IoSource* source = nullptr;
  int fd = -1;
  std::unique_ptr<QSocketNotifier> notifier;

  void Drop() {
    if (!notifier) return;
    // The notifier may be the one whose signal is running now.
    notifier->setEnabled(false);
    notifier->disconnect();
    notifier.release()->deleteLater();
  }
  ~Watch() { Drop(); }
};

QtHost::QtHost() {
  // A port closed outside a yield must lose its notifier before Qt polls again.
  if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
    beforeBlocking_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                                       [this] { SyncNotifiers(); });
  }
}

QtHost::~QtHost() {
  QObject::disconnect(beforeBlocking_);
}

double QtHost::SecondsSinceMidnight() {
  return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

double QtHost::MonotonicSeconds() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

void QtHost::Yield() {
  SyncNotifiers();
  {
    // One per call: a nested yield must not stop the wake-up of the outer one.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(kWakeMilliseconds);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  ServiceAll();
  SyncNotifiers();
}

std::unique_ptr<Timer> QtHost::CreateTimer(std::function<void()> onTick) {
  return std::make_unique<QtTimer>(std::move(onTick));
}

SourceRegistration QtHost::AddSource(IoSource& source) {
  auto watch = std::make_unique<Watch>();
  watch->source = &source;
  // Not asked for its descriptor yet: a source registers while it is still being built.
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

bool QtHost::Registered(const IoSource* source) const {
  return std::any_of(watches_.begin(), watches_.end(),
                     [&](const auto& w) { return w->source == source; });
}

void QtHost::ServiceOne(IoSource* source) {
  if (!Registered(source)) return;
  try {
    source->Service();
  } catch (...) {
    // A source's failure is its own to report; Qt's dispatch must not see it.
  }
  SyncNotifiers();
  for (const auto& watch : watches_) {
    if (watch->source == source && watch->notifier && OnlyHungUp(watch->fd)) {
      watch->notifier->setEnabled(false);
    }
  }
}

void QtHost::ServiceAll() {
  // A handler may unregister any source, itself included.
  std::vector<IoSource*> sources;
  for (const auto& watch : watches_) sources.push_back(watch->source);
  for (auto* source : sources) {
    if (!Registered(source)) continue;
    try {
      source->Service();
    } catch (...) {
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
