#include <travimo/platform/event_loop.h>

#include <algorithm>

namespace travimo {

namespace {

// Sums of periods drift by rounding; a tick this close to its time is due.
constexpr double kSlack = 1e-9;

}  // namespace

struct EventLoop::State {
  Clock clock;
  std::vector<LoopTimer*> timers;
  std::vector<IoSource*> sources;
  std::function<void()> onScheduleChange;
  long waits = 0;

  void ScheduleChanged() const {
    if (onScheduleChange) onScheduleChange();
  }
  bool Has(const LoopTimer* timer) const {
    return std::find(timers.begin(), timers.end(), timer) != timers.end();
  }
  bool Has(const IoSource* source) const {
    return std::find(sources.begin(), sources.end(), source) != sources.end();
  }
};

// Due `interval` after it was enabled or given its interval, then every
// interval; a late tick moves the next one on rather than firing in bursts.
class EventLoop::LoopTimer : public Timer {
 public:
  LoopTimer(const std::shared_ptr<State>& state, std::function<void()> onTick)
      : state_(state), onTick_(std::move(onTick)) {
    state->timers.push_back(this);
  }
  ~LoopTimer() override {
    if (auto state = state_.lock()) std::erase(state->timers, this);
  }
  LoopTimer(const LoopTimer&) = delete;
  LoopTimer& operator=(const LoopTimer&) = delete;

  int32_t Interval() const override { return interval_; }
  void Interval(int32_t milliseconds) override {
    interval_ = milliseconds;
    Restart();
  }
  bool Enabled() const override { return enabled_; }
  void Enabled(bool enabled) override {
    const bool starting = enabled && !enabled_;
    enabled_ = enabled;
    if (starting) {
      Restart();
    } else if (auto state = state_.lock()) {
      state->ScheduleChanged();
    }
  }

  bool Running() const { return enabled_ && interval_ > 0; }
  double Due() const { return Running() ? due_ : kNever; }

  // The next time is set before the handler runs, so a yield inside the
  // handler does not tick this timer again.
  void TickIfDue(double now) {
    if (!Running() || now + kSlack < due_) return;
    due_ += Period();
    if (due_ <= now) due_ = now + Period();
    if (auto state = state_.lock()) state->ScheduleChanged();
    onTick_();
  }

 private:
  double Period() const { return interval_ / 1000.0; }
  void Restart() {
    auto state = state_.lock();
    if (!state) return;
    due_ = state->clock() + Period();
    state->ScheduleChanged();
  }

  std::weak_ptr<State> state_;
  std::function<void()> onTick_;
  int32_t interval_ = 0;
  bool enabled_ = false;
  double due_ = 0.0;
};

EventLoop::EventLoop(Clock clock, Wait wait)
    : state_(std::make_shared<State>()), clock_(clock), wait_(std::move(wait)) {
  state_->clock = std::move(clock);
}

EventLoop::~EventLoop() = default;

std::unique_ptr<Timer> EventLoop::CreateTimer(std::function<void()> onTick) {
  return std::make_unique<LoopTimer>(state_, std::move(onTick));
}

SourceRegistration EventLoop::AddSource(IoSource& source) {
  state_->sources.push_back(&source);
  std::weak_ptr<State> weak = state_;
  return SourceRegistration([weak, &source] {
    if (auto state = weak.lock()) std::erase(state->sources, &source);
  });
}

void EventLoop::RunOnce(double until) {
  const double wakeAt = std::min(until, NextDue());
  if (wakeAt > clock_()) ++state_->waits;
  wait_(Descriptors(), wakeAt);
  TickDueTimers();
  ServiceSources();
}

double EventLoop::NextDue() const {
  double next = kNever;
  for (const auto* timer : state_->timers) next = std::min(next, timer->Due());
  return next;
}

void EventLoop::TickDueTimers() {
  // A handler may stop or start any timer and destroy any other.
  const auto state = state_;
  const double now = clock_();
  const auto timers = state->timers;
  for (auto* timer : timers) {
    if (state->Has(timer)) timer->TickIfDue(now);
  }
}

void EventLoop::ServiceSources() {
  // A handler may unregister any source, itself included.
  const auto state = state_;
  const auto sources = state->sources;
  for (auto* source : sources) {
    if (state->Has(source)) source->Service();
  }
}

std::vector<int> EventLoop::Descriptors() const {
  std::vector<int> descriptors;
  for (const auto* source : state_->sources) {
    const int fd = source->PollDescriptor();
    if (fd >= 0) descriptors.push_back(fd);
  }
  return descriptors;
}

void EventLoop::OnScheduleChange(std::function<void()> handler) {
  state_->onScheduleChange = std::move(handler);
}

long EventLoop::Waits() const {
  return state_->waits;
}

}  // namespace travimo
