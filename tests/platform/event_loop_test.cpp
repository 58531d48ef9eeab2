#include <travimo/platform/event_loop.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace travimo {
namespace {

// A loop on a clock that a wait moves straight to its end.
struct SteppedLoop {
  SteppedLoop()
      : loop([this] { return now; },
             [this](std::span<const int> fds, double until) {
               waitedFor.assign(fds.begin(), fds.end());
               waits.push_back(until);
               if (until > now) now = until;
             }) {}

  double now = 100.0;
  std::vector<double> waits;
  std::vector<int> waitedFor;
  EventLoop loop;
};

struct CountingSource : IoSource {
  explicit CountingSource(int descriptor = -1) : fd(descriptor) {}
  int PollDescriptor() const override { return fd; }
  void Service() override {
    ++serviced;
    if (onService) onService();
  }
  int fd;
  int serviced = 0;
  std::function<void()> onService;
};

// A late timer ticks once, not once per missed period, and counts on from then.
TEST(EventLoopTest, TimersFallDueByOneRule) {
  const struct {
    const char* what;
    int32_t interval;
    double busyFor;  // before the first pass after enabling
    std::vector<double> ticks;
  } cases[] = {
      {"every interval from the moment it is enabled", 200, 0, {100.25, 100.45, 100.65}},
      {"a late timer", 50, 0.55, {100.6, 100.65}},
      {"a zero interval never ticks", 0, 0, {}},
      {"a negative interval never ticks", -5, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SteppedLoop stepped;
    std::vector<double> ticks;
    auto timer = stepped.loop.CreateTimer([&] { ticks.push_back(stepped.now); });
    timer->Interval(c.interval);
    while (stepped.now < 100.05) stepped.loop.RunOnce(100.05);
    EXPECT_TRUE(ticks.empty()) << "created disabled";
    timer->Enabled(true);
    stepped.now += c.busyFor;
    while (stepped.now < 100.65) stepped.loop.RunOnce(100.65);
    EXPECT_THAT(ticks, ::testing::Pointwise(::testing::DoubleNear(1e-9), c.ticks));
  }
}

// A pass waits for the earlier of its end and the next timer, on real
// descriptors only, and services every source after it. A new interval counts
// from now, enabling a running timer does not restart it, and every change
// that may move the next due time is announced. Timers and registrations may
// outlive the loop.
TEST(EventLoopTest, APassWaitsForItsEndOrTheNextTimerAndScheduleChangesAreAnnounced) {
  std::unique_ptr<Timer> timer;
  CountingSource quiet;
  CountingSource port(7);
  SourceRegistration quietRegistration;
  SourceRegistration portRegistration;
  {
    SteppedLoop stepped;
    int changes = 0;
    stepped.loop.OnScheduleChange([&] { ++changes; });
    quietRegistration = stepped.loop.AddSource(quiet);
    portRegistration = stepped.loop.AddSource(port);
    timer = stepped.loop.CreateTimer([] {});
    timer->Interval(200);
    timer->Enabled(true);
    stepped.loop.RunOnce(130.0);  // the tick moves the next time on
    EXPECT_NEAR(stepped.waits.back(), 100.2, 1e-9);
    EXPECT_EQ(stepped.waitedFor, std::vector<int>{7}) << "only real descriptors are waited on";
    EXPECT_EQ(quiet.serviced, 1) << "every source is serviced after every pass";
    stepped.now += 0.02;
    timer->Interval(300);
    EXPECT_NEAR(stepped.loop.NextDue(), stepped.now + 0.3, 1e-9);
    stepped.now += 0.01;
    timer->Enabled(true);  // already running: not restarted
    EXPECT_NEAR(stepped.loop.NextDue(), stepped.now + 0.29, 1e-9);
    timer->Enabled(false);
    EXPECT_EQ(stepped.loop.NextDue(), EventLoop::kNever);
    EXPECT_EQ(changes, 6);
    stepped.loop.RunOnce(100.25);
    EXPECT_NEAR(stepped.waits.back(), 100.25, 1e-9);
    stepped.loop.RunOnce(50.0);  // already past: handles what is ready without waiting
    EXPECT_EQ(stepped.loop.Waits(), 2);
    quiet.onService = [&] { portRegistration = SourceRegistration(); };
    stepped.loop.RunOnce(50.0);
    EXPECT_EQ(port.serviced, 3) << "unregistered by an earlier handler of the same pass";
  }
  timer->Enabled(true);
  timer->Interval(10);
  timer.reset();
}

// A yield inside a tick does not tick the same timer again, nor one that the
// tick destroyed.
TEST(EventLoopTest, ATickMayYieldAndDestroyOtherTimers) {
  SteppedLoop stepped;
  std::pair<int, int> ticks;  // this timer's and the other's
  std::unique_ptr<Timer> other;
  auto timer = stepped.loop.CreateTimer([&] {
    ++ticks.first;
    other.reset();
    stepped.loop.RunOnce(stepped.now);
  });
  other = stepped.loop.CreateTimer([&] { ++ticks.second; });
  for (Timer* each : {timer.get(), other.get()}) {
    each->Interval(10);
    each->Enabled(true);
  }
  stepped.loop.RunOnce(stepped.now + 0.01);
  EXPECT_EQ(ticks, std::pair(1, 0));
}

}  // namespace
}  // namespace travimo
