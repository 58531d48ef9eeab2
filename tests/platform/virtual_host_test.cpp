#include "support/virtual_host.h"

#include <gtest/gtest.h>

namespace travimo::testing {
namespace {

// The other suites rely on these timings of the virtual clock.
TEST(VirtualHostTest, ClockTimersAndActionsFollowTheYields) {
  VirtualHost host(3600.0);
  int ticks = 0;
  std::vector<double> actionTimes;
  auto timer = host.CreateTimer([&] { ++ticks; });
  timer->Interval(200);
  timer->Enabled(true);
  host.After(0.5, [&] { actionTimes.push_back(host.MonotonicSeconds()); });
  host.RunFor(2.0);
  EXPECT_NEAR(host.MonotonicSeconds(), 2.0, 1e-6);
  EXPECT_NEAR(host.SecondsSinceMidnight(), 3602.0, 1e-6);
  EXPECT_EQ(ticks, 10);
  EXPECT_LE(host.YieldCount(), 12) << "a wait jumps to the next tick or action";
  ASSERT_EQ(actionTimes.size(), 1u);
  EXPECT_NEAR(actionTimes[0], 0.5, 1e-6);
  timer->Enabled(false);
  host.RunFor(1.0);
  EXPECT_EQ(ticks, 10);
}

}  // namespace
}  // namespace travimo::testing
