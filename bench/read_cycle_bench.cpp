// Real-time figures of the read cycle on the POSIX host over a simulated
// instrument: how often a silent wait wakes the process and the CPU it
// costs, and how soon a complete transfer is handed over after its last byte.
//
//   read_cycle_bench [--cap-ms N] [seconds]
//     seconds   the silent wait is cut short by a cancel after this long
//               (default: the whole wait); TRAVIMO_BENCH_SECONDS does the same
//     --cap-ms  every yield sleeps at most N ms, as in earlier releases
#include <sys/resource.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench_rig.h"
#include <travimo/model/enums.h>

namespace {

using namespace travimo;
using bench::Rig;
using Clock = std::chrono::steady_clock;

double CpuSeconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// How often the read thread gave up the processor of its own accord: each
// of its sleeps that something ended.
long VoluntarySwitches() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nvcsw;
}

void SilentWait(double cancelAfter, double capSeconds) {
  sim::Script script;
  script.mode = sim::Mode::Ostrel;
  script.silent = true;
  Rig rig(script, capSeconds);
  rig.control.TravimoType(Ostrel);
  std::unique_ptr<Timer> cancel;
  if (cancelAfter > 0) {
    cancel = rig.host.CreateTimer([&] { rig.control.CancelTransfer(true); });
    cancel->Interval(static_cast<int32_t>(cancelAfter * 1000));
    cancel->Enabled(true);
  }

  const long switches0 = VoluntarySwitches();
  const double thread0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  const double process0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  const auto start = Clock::now();
  rig.control.ReadTravimo();
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double thread = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0;
  const double process = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0;
  const long switches = VoluntarySwitches() - switches0;

  std::printf(
      "silent type-3 read: wall %.3f s, read thread CPU %.4f s (%.3f%%), "
      "process CPU %.4f s (%.3f%%), wake-ups %ld (%.1f/s), error %d\n",
      wall, thread, 100.0 * thread / wall, process, 100.0 * process / wall, switches,
      static_cast<double>(switches) / wall, rig.container.lastError);
}

void CompleteTransfer(double capSeconds, const char* name, size_t burstSize, double burstPause) {
  sim::Script script;
  script.scans = 4;
  script.firstByteDelay = 0.1;
  script.burstSize = burstSize;
  script.burstPause = burstPause;
  Rig rig(script, capSeconds);

  const auto start = Clock::now();
  rig.control.ReadTravimo();
  const auto end = Clock::now();
  const auto lastByte = rig.simulator.Stats().lastSentAt;

  // The pause of the one polling pass; before it, the one-second pause of the
  // set-up when the transfer was over before that pause was.
  const double sinceStart = std::chrono::duration<double>(lastByte - start).count();
  const double floor = 2.0 + std::max(0.0, 1.0 - sinceStart);
  const double afterLast = std::chrono::duration<double>(end - lastByte).count();
  std::printf(
      "%s: last byte at %.3f s, returned %.3f s later, floor %.3f s, "
      "measured - floor %.1f ms, scans %d, error %d\n",
      name, sinceStart, afterLast, floor, (afterLast - floor) * 1000.0, rig.control.NumberOfScans(),
      rig.container.lastError);
}

}  // namespace

int main(int argc, char** argv) {
  const auto arguments = bench::ParseArguments(argc, argv, std::getenv("TRAVIMO_BENCH_SECONDS"));
  const double cancelAfter = arguments.value ? std::atof(arguments.value) : 0.0;
  SilentWait(cancelAfter, arguments.capSeconds);
  CompleteTransfer(arguments.capSeconds, "Lorvex transfer at once", 0, 0.0);
  CompleteTransfer(arguments.capSeconds, "Lorvex transfer in bursts", 500, 0.3);
  return 0;
}
