// A thousand failing reads in a row on the real platform, the device missing
// and the device vanishing right after the open in turn. Prints the open file
// descriptors and resident memory after the first ten reads and at the end;
// exits 1 when either grew (descriptors at all, memory by more than 1 MiB).
//
//   soak_bench [reads]   default 1000; about half a second per read, since a
//                        vanishing read still makes the set-up's one-second pause
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <travimo/platform/simple_container.h>
#include "support/soak_loop.h"

int main(int argc, char** argv) {
  using travimo::testing::ProcessUsage;
  const int reads = argc > 1 ? std::atoi(argv[1]) : 1000;
  travimo::testing::SoakLoop<travimo::SimpleContainer> soak;
  int wrong = 0;
  const auto start = std::chrono::steady_clock::now();
  soak.Run(reads, [&](int read) {
    if (soak.container.errors != read || soak.container.lastError != soak.ExpectedError(read) ||
        !soak.EndedCleanly()) {
      ++wrong;
    }
    return true;
  });
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const ProcessUsage warm = soak.afterWarmUp;
  const ProcessUsage end = ProcessUsage::Now();
  std::printf("soak after %d reads: %ld descriptors, %ld KiB resident\n", soak.kWarmUp,
              warm.descriptors, warm.residentKiB);
  std::printf("soak after %d reads: %ld descriptors, %ld KiB resident, %.1f s, %d wrong endings\n",
              reads, end.descriptors, end.residentKiB, seconds, wrong);
  const bool ok = wrong == 0 && end.descriptors == warm.descriptors &&
                  end.residentKiB - warm.residentKiB <= 1024;
  std::printf("soak %s\n", ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
