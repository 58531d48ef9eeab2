#include <travimo/platform/posix/posix_host.h>

#include <gtest/gtest.h>
#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <thread>

#include "support/cpu_meter.h"

namespace travimo::posix {
namespace {

struct PipeSource : IoSource {
  PipeSource() { EXPECT_EQ(pipe(fds), 0); }
  ~PipeSource() override {
    close(fds[0]);
    close(fds[1]);
  }
  int PollDescriptor() const override { return fds[0]; }
  void Service() override { ++serviced; }
  void MakeReadable() { ASSERT_EQ(write(fds[1], "x", 1), 1); }

  int fds[2] = {-1, -1};
  int serviced = 0;
};

// A yield that nothing ends sleeps to its deadline without using the processor;
// data, a due timer or a signal end it early. Data left waiting ends every
// yield at once. Each yield is one pass that services the sources.
TEST(PosixHostTest, AYieldSleepsUntilSomethingHappensOrItsTime) {
  struct Rig {
    PosixHost host;
    PipeSource pipe;
    SourceRegistration registration = host.AddSource(pipe);
    std::unique_ptr<Timer> timer;
    std::jthread writer;
  };
  const struct {
    const char* what;
    double wait;
    int yields;
    std::function<void(Rig&)> arrange;
  } cases[] = {
      {"nothing", 0.3, 1, [](Rig&) {}},
      {"data", 5.0, 100,
       [](Rig& rig) {
         rig.writer = std::jthread([&rig] {
           std::this_thread::sleep_for(std::chrono::milliseconds(50));
           rig.pipe.MakeReadable();
         });
       }},
      {"a timer", 5.0, 1,
       [](Rig& rig) {
         rig.timer = rig.host.CreateTimer([] {});
         rig.timer->Interval(50);
         rig.timer->Enabled(true);
       }},
      {"a signal", 5.0, 1,
       [](Rig&) {
         const itimerval in50ms{{0, 0}, {0, 50000}};
         setitimer(ITIMER_REAL, &in50ms, nullptr);
       }},
  };
  struct sigaction quiet {};
  struct sigaction previous {};
  quiet.sa_handler = [](int) {};
  sigemptyset(&quiet.sa_mask);
  sigaction(SIGALRM, &quiet, &previous);
  for (const auto& c : cases) {
    Rig rig;
    const travimo::testing::CpuMeter meter;
    const double until = rig.host.MonotonicSeconds() + c.wait;
    c.arrange(rig);
    for (int i = 0; i < c.yields; ++i) rig.host.YieldUntil(until);
    EXPECT_EQ(rig.pipe.serviced, c.yields) << c.what;
    const double woke = rig.host.MonotonicSeconds();
    if (c.wait < 1.0) {
      EXPECT_GE(woke, until) << c.what << ": never before its time";
      EXPECT_LT(meter.CpuSeconds(), 0.05 * meter.WallSeconds()) << c.what;
    } else {
      EXPECT_LT(woke, until - 3.0) << c.what << " ends the sleep";
    }
  }
  sigaction(SIGALRM, &previous, nullptr);
}

TEST(PosixHostTest, TextKeepsEveryByteAndRegionalSettingsComeFromTheLocale) {
  const uint8_t bytes[] = {0x00, 0x41, 0xE9, 0xFF};
  EXPECT_EQ(PosixHost().BytesToText(bytes), std::string("\x00\x41\xE9\xFF", 4));
  const RegionalSettings c = RegionalSettingsOf("C");
  EXPECT_EQ(c, (RegionalSettings{DateOrder::MonthDayYear, ".", ",", "AM", "PM", 29}));
  EXPECT_EQ(RegionalSettingsOf("no_SUCH.locale"), c) << "an unknown locale falls back to C";
}

}  // namespace
}  // namespace travimo::posix
