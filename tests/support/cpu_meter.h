#pragma once
// The CPU time a process spends against the wall time that passes: a wait
// that blocks costs next to nothing, one that spins costs a whole core.
#include <sys/resource.h>

#include <chrono>

namespace travimo::testing {

class CpuMeter {
 public:
  CpuMeter() : cpuStart_(ProcessCpu()), wallStart_(Wall()) {}

  double CpuSeconds() const { return ProcessCpu() - cpuStart_; }
  double WallSeconds() const { return Wall() - wallStart_; }

 private:
  // User and system time together.
  static double ProcessCpu() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
  }
  static double Wall() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  double cpuStart_;
  double wallStart_;
};

}  // namespace travimo::testing
