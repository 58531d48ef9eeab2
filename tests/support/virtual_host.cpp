#include "virtual_host.h"

#include <algorithm>
#include <cmath>

namespace travimo::testing {

// Deadlines are compared with a little slack so that a 200 ms timer on a
// 10 ms quantum ticks on the 20th yield despite floating-point sums.
constexpr double kSlack = 1e-9;

class VirtualHost::VirtualTimer : public Timer {
 public:
  VirtualTimer(VirtualHost& host, std::function<void()> onTick)
      : host_(&host), onTick_(std::move(onTick)) {
    host_->timers_.push_back(this);
  }
  ~VirtualTimer() override {
    if (host_) std::erase(host_->timers_, this);
  }
  VirtualTimer(const VirtualTimer&) = delete;
  VirtualTimer& operator=(const VirtualTimer&) = delete;

  int32_t Interval() const override { return interval_; }
  void Interval(int32_t milliseconds) override {
    interval_ = milliseconds;
    Restart();
  }
  bool Enabled() const override { return enabled_; }
  void Enabled(bool enabled) override {
    if (enabled && !enabled_) {
      enabled_ = true;
      Restart();
    }
    enabled_ = enabled;
  }

  void Detach() { host_ = nullptr; }

  // Ticks once when the deadline has passed; a late tick does not pile up.
  void TickIfDue(double now) {
    if (!enabled_ || interval_ <= 0 || now + kSlack < deadline_) return;
    deadline_ += interval_ / 1000.0;
    if (deadline_ <= now) deadline_ = now + interval_ / 1000.0;
    onTick_();
  }

 private:
  void Restart() {
    if (host_) deadline_ = host_->now_ + interval_ / 1000.0;
  }

  VirtualHost* host_;
  std::function<void()> onTick_;
  int32_t interval_ = 0;
  bool enabled_ = false;
  double deadline_ = 0.0;
};

VirtualHost::VirtualHost(double quantumSeconds, double startOfDay)
    : quantum_(quantumSeconds), startOfDay_(startOfDay), lifetime_(std::make_shared<int>(0)) {}

VirtualHost::~VirtualHost() {
  for (auto* timer : timers_) timer->Detach();
}

double VirtualHost::SecondsSinceMidnight() {
  return std::fmod(startOfDay_ + now_, 86400.0);
}

void VirtualHost::Yield() {
  ++yields_;
  now_ += quantum_;
  while (!actions_.empty() && actions_.begin()->first <= now_ + kSlack) {
    auto action = std::move(actions_.begin()->second);
    actions_.erase(actions_.begin());
    action();
  }
  TickTimers();
  // A source may unregister another (or itself) while being serviced.
  const auto sources = sources_;
  for (auto* source : sources) {
    if (std::find(sources_.begin(), sources_.end(), source) != sources_.end()) source->Service();
  }
}

void VirtualHost::TickTimers() {
  const auto timers = timers_;
  for (auto* timer : timers) {
    if (std::find(timers_.begin(), timers_.end(), timer) != timers_.end()) timer->TickIfDue(now_);
  }
}

std::unique_ptr<Timer> VirtualHost::CreateTimer(std::function<void()> onTick) {
  return std::make_unique<VirtualTimer>(*this, std::move(onTick));
}

SourceRegistration VirtualHost::AddSource(IoSource& source) {
  sources_.push_back(&source);
  std::weak_ptr<int> alive = lifetime_;
  return SourceRegistration([this, alive, &source] {
    if (alive.lock()) std::erase(sources_, &source);
  });
}

MessageBoxResult VirtualHost::ShowMessageBox(const MessageBoxRequest& request) {
  boxes_.push_back(request);
  return answerBox_ ? answerBox_(request) : MessageBoxResult::Ok;
}

std::string VirtualHost::BytesToText(std::span<const uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (uint8_t byte : bytes) text.push_back(codePage_ ? codePage_(byte) : static_cast<char>(byte));
  return text;
}

void VirtualHost::At(double at, std::function<void()> action) {
  actions_.emplace(at, std::move(action));
}

void VirtualHost::RunFor(double seconds) {
  const double end = now_ + seconds;
  while (now_ + kSlack < end) Yield();
}

}  // namespace travimo::testing
