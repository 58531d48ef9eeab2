// Failing reads on the real platform leave no descriptor and no memory
// behind. The thousand-read run is bench/soak_bench; each vanishing read
// costs the second a read always waits.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/recording_container.h"
#include "support/soak_loop.h"

#if defined(__SANITIZE_ADDRESS__)
#define TRAVIMO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRAVIMO_ASAN 1
#endif
#endif

namespace travimo::testing {
namespace {

TEST(Soak, FailingReadsLeaveNoDescriptorsOrMemoryBehind) {
  constexpr int kReads = 40;
  SoakLoop<RecordingContainer> soak;
  soak.Run(kReads, [&](int read) {
    const auto& errors = soak.container.ErrorNumbers();
    EXPECT_EQ(errors.size(), static_cast<size_t>(read));
    EXPECT_EQ(errors.empty() ? 0 : errors.back(), soak.ExpectedError(read)) << "read " << read;
    EXPECT_TRUE(soak.EndedCleanly()) << "read " << read;
    return !HasFailure();
  });
  ASSERT_FALSE(HasFailure());
  const ProcessUsage end = ProcessUsage::Now();
  std::printf("after %d reads: %ld descriptors, %ld KiB resident; after %d: %ld, %ld KiB\n",
              soak.kWarmUp, soak.afterWarmUp.descriptors, soak.afterWarmUp.residentKiB, kReads,
              end.descriptors, end.residentKiB);
  EXPECT_EQ(end.descriptors, soak.afterWarmUp.descriptors);
#ifndef TRAVIMO_ASAN
  // The sanitizer's quarantine holds freed memory back, so only plain builds judge memory.
  EXPECT_LE(end.residentKiB - soak.afterWarmUp.residentKiB, 1024);
#endif
}

}  // namespace
}  // namespace travimo::testing
