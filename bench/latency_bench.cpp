// How soon a read returns after the instrument's last byte, beyond the pauses
// the read cycle always makes, for each instrument type over a pseudo-terminal.
// Prints one line per type: "latency <type> median <ms> max <ms> floor <s>".
//
//   latency_bench [--cap-ms N] [repetitions]
//     repetitions  default 3; TRAVIMO_BENCH_REPEAT does the same
//     --cap-ms     every yield sleeps at most N ms, as in earlier releases
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_rig.h"
#include <travimo/model/enums.h>

namespace {

using namespace travimo;
using Clock = std::chrono::steady_clock;

struct Instrument {
  const char* name;
  sim::Mode mode;
  int32_t type;
};

struct Sample {
  double excess;  // seconds beyond the floor
  double floor;
  int32_t error;
  int32_t scans;
};

// One read of a complete transfer; the floor is the polling pass's two-second
// pause, plus what remains of the set-up's one-second pause when the transfer
// was over before it.
Sample ReadOnce(const Instrument& instrument, double capSeconds) {
  sim::Script script;
  script.mode = instrument.mode;
  script.scans = 4;
  script.firstByteDelay = 0.2;
  bench::Rig rig(script, capSeconds);
  rig.control.TravimoType(instrument.type);

  const auto start = Clock::now();
  rig.control.ReadTravimo();
  const auto end = Clock::now();
  const auto lastByte = rig.simulator.Stats().lastSentAt;
  const double sinceStart = std::chrono::duration<double>(lastByte - start).count();
  const double floor = 2.0 + std::max(0.0, 1.0 - sinceStart);
  const double afterLast = std::chrono::duration<double>(end - lastByte).count();
  return {afterLast - floor, floor, rig.container.lastError, rig.control.NumberOfScans()};
}

}  // namespace

int main(int argc, char** argv) {
  const Instrument instruments[] = {{"Lorvex", sim::Mode::Lorvex, Lorvex},
                                    {"Ostrel", sim::Mode::Ostrel, Ostrel},
                                    {"Brevane", sim::Mode::Brevane, Brevane}};
  const auto arguments = bench::ParseArguments(argc, argv, std::getenv("TRAVIMO_BENCH_REPEAT"));
  const int repetitions =
      arguments.value && std::atoi(arguments.value) > 0 ? std::atoi(arguments.value) : 3;
  int failures = 0;
  for (const Instrument& instrument : instruments) {
    std::vector<double> excess;
    double floor = 0.0;
    for (int i = 0; i < repetitions; ++i) {
      const Sample sample = ReadOnce(instrument, arguments.capSeconds);
      if (sample.error != 0 || sample.scans != 4) {
        std::printf("latency %s FAILED: error %d, %d scans\n", instrument.name, sample.error,
                    sample.scans);
        ++failures;
        break;
      }
      excess.push_back(sample.excess);
      floor = sample.floor;
    }
    if (excess.empty()) continue;
    std::sort(excess.begin(), excess.end());
    std::printf("latency %s median %.1f ms max %.1f ms floor %.3f s over %zu reads\n",
                instrument.name, excess[excess.size() / 2] * 1000.0, excess.back() * 1000.0, floor,
                excess.size());
  }
  return failures == 0 ? 0 : 1;
}
