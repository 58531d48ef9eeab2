#pragma once
// The CPU time a process spends against the wall time that passes: a wait
// that blocks costs next to nothing, one that spins costs a whole core.
#include <chrono>
#include <ctime>

namespace travimo::testing {

class CpuMeter {
 public:
  double CpuSeconds() const { return Cpu() - cpuStart_; }
  double WallSeconds() const { return Wall() - wallStart_; }

 private:
  // User and system time of every thread together.
  static double Cpu() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }
  static double Wall() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  double cpuStart_ = Cpu();
  double wallStart_ = Wall();
};

}  // namespace travimo::testing
