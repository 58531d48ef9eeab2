#include "platform/posix/posix_host.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "support/cpu_meter.h"

namespace travimo::posix {
namespace {

void YieldFor(PosixHost& host, double seconds) {
  const double end = host.MonotonicSeconds() + seconds;
  while (host.MonotonicSeconds() < end) host.Yield();
}

class PipeSource : public IoSource {
 public:
  PipeSource() { EXPECT_EQ(pipe(fds_), 0); }
  ~PipeSource() override {
    close(fds_[0]);
    close(fds_[1]);
  }
  int PollDescriptor() const override { return fds_[0]; }
  void Service() override { ++serviced; }
  void MakeReadable() { ASSERT_EQ(write(fds_[1], "x", 1), 1); }

  int serviced = 0;

 private:
  int fds_[2] = {-1, -1};
};

TEST(PosixHostTest, TimersTickOnlyWhileEnabled) {
  PosixHost host;
  int ticks = 0;
  auto timer = host.CreateTimer([&] { ++ticks; });
  timer->Interval(20);
  YieldFor(host, 0.1);
  EXPECT_EQ(ticks, 0) << "created disabled";
  timer->Enabled(true);
  YieldFor(host, 0.25);
  EXPECT_GE(ticks, 6);
  EXPECT_LE(ticks, 13);
  timer->Enabled(false);
  const int stopped = ticks;
  YieldFor(host, 0.1);
  EXPECT_EQ(ticks, stopped);
}

TEST(PosixHostTest, YieldWakesForAReadySourceAndServicesIt) {
  PosixHost host;
  PipeSource source;
  auto registration = host.AddSource(source);
  source.MakeReadable();
  const double start = host.MonotonicSeconds();
  for (int i = 0; i < 100; ++i) host.Yield();
  // Each idle yield may sleep 5 ms; a ready descriptor must not wait at all.
  EXPECT_LT(host.MonotonicSeconds() - start, 0.25);
  EXPECT_EQ(source.serviced, 100);
  registration = SourceRegistration();
  host.Yield();
  EXPECT_EQ(source.serviced, 100) << "unregistered sources are left alone";
}

TEST(PosixHostTest, WaitingByYieldingCostsAlmostNoCpu) {
  PosixHost host;
  PipeSource idle;
  auto registration = host.AddSource(idle);
  const travimo::testing::CpuMeter meter;
  YieldFor(host, 2.0);
  const double ratio = meter.CpuSeconds() / meter.WallSeconds();
  std::printf("CPU while yielding for 2 s: %.2f%% of wall time\n", ratio * 100.0);
  EXPECT_LT(ratio, 0.05);
}

TEST(PosixHostTest, TextKeepsEveryByteAndMessageBoxesTakeTheHandlersAnswer) {
  PosixHost host;
  const uint8_t bytes[] = {0x00, 0x41, 0xE9, 0xFF};
  EXPECT_EQ(host.BytesToText(bytes), std::string("\x00\x41\xE9\xFF", 4));
  MessageBoxRequest request;
  host.OnMessageBox([](const MessageBoxRequest&) { return MessageBoxResult::No; });
  request.buttons = MessageBoxButtons::YesNo;
  EXPECT_EQ(host.ShowMessageBox(request), MessageBoxResult::No);
}

TEST(PosixHostTest, RegionalSettingsComeFromTheLocale) {
  const RegionalSettings c = RegionalSettingsOf("C");
  EXPECT_EQ(c.dateOrder, DateOrder::MonthDayYear);
  EXPECT_EQ(c.decimalSeparator, ".");
  EXPECT_EQ(c.amDesignator, "AM");
  EXPECT_EQ(c.pmDesignator, "PM");
  EXPECT_EQ(RegionalSettingsOf("no_SUCH.locale"), c) << "an unknown locale falls back to C";
}

}  // namespace
}  // namespace travimo::posix
