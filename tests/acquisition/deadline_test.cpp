#include "acquisition/deadline.h"

#include <gtest/gtest.h>

namespace travimo {
namespace {

// A wait sleeps until WakeTime(): it must find the deadline passed then, and
// must not have slept noticeably past it, however long the clock has run.
TEST(DeadlineTest, WakeTimeIsTheFirstMomentTheDeadlineHasPassed) {
  for (const double base : {0.0, 12345.678, 1e9}) {
    for (const double interval : {-1.0, 0.0, 1.0, 2.0, 30.0, 36.75}) {
      const Deadline deadline(base, base + interval);
      const double wake = deadline.WakeTime();
      EXPECT_FALSE(deadline.PassedAt(base + interval)) << base << " + " << interval;
      EXPECT_TRUE(deadline.PassedAt(wake)) << base << " + " << interval;
      EXPECT_GT(wake, base + interval);
      EXPECT_LT(wake - (base + interval), 1e-5) << base << " + " << interval;
    }
  }
}

}  // namespace
}  // namespace travimo
