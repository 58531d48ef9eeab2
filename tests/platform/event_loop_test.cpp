#include "platform/event_loop.h"

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

  // Passes until the clock reaches `end`, each waiting for at most `step`.
  void RunUntil(double end, double step = 1.0) {
    while (now < end) loop.RunOnce(std::min(end, now + step));
  }

  double now = 100.0;
  std::vector<double> waits;
  std::vector<int> waitedFor;
  EventLoop loop;
};

class CountingSource : public IoSource {
 public:
  explicit CountingSource(int fd = -1) : fd_(fd) {}
  int PollDescriptor() const override { return fd_; }
  void Service() override {
    ++serviced;
    if (onService) onService();
  }
  int serviced = 0;
  std::function<void()> onService;

 private:
  int fd_;
};

TEST(EventLoopTest, TimersFallDueByOneRule) {
  struct Case {
    const char* what;
    int32_t interval;
    double enableAt;
    double runUntil;
    std::vector<double> expectedTicks;
  };
  const Case cases[] = {
      {"every interval from the moment it is enabled",
       200,
       100.05,
       100.65,
       {100.25, 100.45, 100.65}},
      {"a zero interval never ticks", 0, 100.0, 101.0, {}},
      {"a negative interval never ticks", -5, 100.0, 101.0, {}},
  };
  for (const Case& c : cases) {
    SteppedLoop stepped;
    std::vector<double> ticks;
    auto timer = stepped.loop.CreateTimer([&] { ticks.push_back(stepped.now); });
    timer->Interval(c.interval);
    stepped.RunUntil(c.enableAt);
    EXPECT_TRUE(ticks.empty()) << c.what << ": created disabled";
    timer->Enabled(true);
    stepped.RunUntil(c.runUntil);
    ASSERT_EQ(ticks.size(), c.expectedTicks.size()) << c.what;
    for (size_t i = 0; i < ticks.size(); ++i)
      EXPECT_NEAR(ticks[i], c.expectedTicks[i], 1e-9) << c.what;
  }
}

TEST(EventLoopTest, ALateTimerTicksOnceAndANewIntervalCountsFromNow) {
  SteppedLoop stepped;
  int ticks = 0;
  auto timer = stepped.loop.CreateTimer([&] { ++ticks; });
  timer->Interval(100);
  timer->Enabled(true);
  stepped.now += 0.55;  // the process was busy for five periods
  stepped.loop.RunOnce(stepped.now);
  EXPECT_EQ(ticks, 1);
  EXPECT_NEAR(stepped.loop.NextDue(), stepped.now + 0.1, 1e-9) << "no burst of the missed ticks";

  timer->Interval(300);
  EXPECT_NEAR(stepped.loop.NextDue(), stepped.now + 0.3, 1e-9);
  timer->Enabled(true);  // already running: no restart
  EXPECT_NEAR(stepped.loop.NextDue(), stepped.now + 0.3, 1e-9);
  timer->Enabled(false);
  EXPECT_EQ(stepped.loop.NextDue(), EventLoop::kNever);
}

TEST(EventLoopTest, APassWaitsForTheEarlierOfItsEndAndTheNextTimer) {
  SteppedLoop stepped;
  CountingSource quiet;
  CountingSource port(7);
  const auto quietRegistration = stepped.loop.AddSource(quiet);
  const auto portRegistration = stepped.loop.AddSource(port);
  auto timer = stepped.loop.CreateTimer([] {});
  timer->Interval(200);
  timer->Enabled(true);

  stepped.loop.RunOnce(130.0);
  EXPECT_NEAR(stepped.waits.back(), 100.2, 1e-9);
  EXPECT_EQ(stepped.waitedFor, std::vector<int>{7}) << "only real descriptors are waited on";
  EXPECT_EQ(quiet.serviced, 1) << "every source is serviced after every pass";
  EXPECT_EQ(port.serviced, 1);
  timer->Enabled(false);
  stepped.loop.RunOnce(100.25);
  EXPECT_NEAR(stepped.waits.back(), 100.25, 1e-9);
  EXPECT_EQ(stepped.loop.Waits(), 2);
  stepped.loop.RunOnce(50.0);  // already past: handles what is ready without waiting
  EXPECT_EQ(stepped.loop.Waits(), 2);
  EXPECT_EQ(port.serviced, 3);
}

TEST(EventLoopTest, HandlersMayChangeTheLoopTheyRunIn) {
  SteppedLoop stepped;
  CountingSource first;
  CountingSource second;
  SourceRegistration firstRegistration = stepped.loop.AddSource(first);
  SourceRegistration secondRegistration = stepped.loop.AddSource(second);
  first.onService = [&] { secondRegistration = SourceRegistration(); };
  stepped.loop.RunOnce(stepped.now);
  EXPECT_EQ(second.serviced, 0) << "unregistered by an earlier handler of the same pass";

  // A yield inside a tick does not tick the same timer again, nor one that
  // the tick destroyed.
  int ticks = 0;
  int otherTicks = 0;
  std::unique_ptr<Timer> other;
  auto timer = stepped.loop.CreateTimer([&] {
    ++ticks;
    other.reset();
    stepped.loop.RunOnce(stepped.now);
  });
  other = stepped.loop.CreateTimer([&] { ++otherTicks; });
  for (Timer* each : {timer.get(), other.get()}) {
    each->Interval(10);
    each->Enabled(true);
  }
  stepped.loop.RunOnce(stepped.now + 0.01);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(otherTicks, 0);
}

TEST(EventLoopTest, TheScheduleIsAnnouncedAndTimersAndRegistrationsMayOutliveTheLoop) {
  std::unique_ptr<Timer> timer;
  SourceRegistration registration;
  CountingSource source;
  {
    SteppedLoop stepped;
    int changes = 0;
    stepped.loop.OnScheduleChange([&] { ++changes; });
    timer = stepped.loop.CreateTimer([] {});
    timer->Interval(50);  // announced: a host may arm its own timer for it
    timer->Enabled(true);
    stepped.loop.RunOnce(stepped.now + 0.05);  // the tick moves the next time on
    timer->Enabled(false);
    EXPECT_EQ(changes, 4);
    registration = stepped.loop.AddSource(source);
  }
  timer->Enabled(true);
  timer->Interval(10);
  timer.reset();
  registration = SourceRegistration();
}

}  // namespace
}  // namespace travimo
