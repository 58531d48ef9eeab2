// Real-time figures of the read cycle on the POSIX host over a simulated
// instrument: the CPU a silent wait costs, and how soon a complete transfer
// is handed over after its last byte.
//
//   read_cycle_bench [seconds]   the silent wait is cut short by a cancel after
//                                `seconds` (default: the full 30 s wait);
//                                TRAVIMO_BENCH_SECONDS does the same.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "control/travimo.h"
#include "model/enums.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_host.h"
#include "platform/posix/termios_serial.h"
#include "platform/simple_container.h"
#include "sim/simulator.h"

namespace {

using namespace travimo;
using Clock = std::chrono::steady_clock;

double CpuSeconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A control on port 1, which is the simulator's pseudo-terminal.
struct Rig {
  explicit Rig(const sim::Script& script)
      : simulator(script),
        serial([this](int16_t) { return simulator.SlavePath(); }),
        control(ControlSite{container, host, files, serial}) {
    control.InitProperties();
    control.CommPort(1);
    simulator.Start();
  }
  sim::Simulator simulator;
  SimpleContainer container;
  posix::PosixHost host{"C"};
  posix::PosixFileSystem files;
  posix::TermiosBackend serial;
  Travimo control;
};

double CancelAfterSeconds(int argc, char** argv) {
  const char* text = argc > 1 ? argv[1] : std::getenv("TRAVIMO_BENCH_SECONDS");
  return text ? std::atof(text) : 0.0;
}

void SilentWait(double cancelAfter) {
  sim::Script script;
  script.mode = sim::Mode::Ostrel;
  script.silent = true;
  Rig rig(script);
  rig.control.TravimoType(Ostrel);
  std::unique_ptr<Timer> cancel;
  if (cancelAfter > 0) {
    cancel = rig.host.CreateTimer([&] { rig.control.CancelTransfer(true); });
    cancel->Interval(static_cast<int32_t>(cancelAfter * 1000));
    cancel->Enabled(true);
  }

  const double thread0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  const double process0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  const auto start = Clock::now();
  rig.control.ReadTravimo();
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double thread = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0;
  const double process = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0;

  std::printf(
      "silent type-3 read: wall %.3f s, read thread CPU %.4f s (%.3f%%), "
      "process CPU %.4f s (%.3f%%), error %d\n",
      wall, thread, 100.0 * thread / wall, process, 100.0 * process / wall,
      rig.container.lastError);
  std::printf("  %s: below 1%% of one core\n", thread / wall < 0.01 ? "ok" : "FAILED");
}

// Returns seconds from the last byte to the return, less the floor.
void CompleteTransfer(const char* name, size_t burstSize, double burstPause) {
  sim::Script script;
  script.scans = 4;
  script.firstByteDelay = 0.1;
  script.burstSize = burstSize;
  script.burstPause = burstPause;
  Rig rig(script);

  const auto start = Clock::now();
  rig.control.ReadTravimo();
  const auto end = Clock::now();
  const auto lastByte = rig.simulator.Stats().lastSentAt;

  // The pause of the one polling pass; before it, the one-second pause of the
  // set-up when the transfer was over before that pause was.
  const double sinceStart = std::chrono::duration<double>(lastByte - start).count();
  const double floor = 2.0 + std::max(0.0, 1.0 - sinceStart);
  const double afterLast = std::chrono::duration<double>(end - lastByte).count();
  const double excess = afterLast - floor;
  std::printf(
      "%s: last byte at %.3f s, returned %.3f s later, floor %.3f s, "
      "measured - floor %.1f ms, scans %d, error %d\n",
      name, sinceStart, afterLast, floor, excess * 1000.0, rig.control.NumberOfScans(),
      rig.container.lastError);
  std::printf("  %s: within 50 ms of the floor\n", excess < 0.05 ? "ok" : "FAILED");
}

}  // namespace

int main(int argc, char** argv) {
  SilentWait(CancelAfterSeconds(argc, argv));
  CompleteTransfer("Lorvex transfer at once", 0, 0.0);
  CompleteTransfer("Lorvex transfer in bursts", 500, 0.3);
  return 0;
}
