// A thousand failing reads in a row on the real platform, the device missing
// and the device vanishing right after the open in turn. Prints the open file
// descriptors and resident memory after the first ten reads and at the end;
// exits 1 when either grew (descriptors at all, memory by more than 1 MiB).
//
//   soak_bench [reads]   default 1000; about half a second per read, since a
//                        vanishing read still makes the set-up's one-second pause
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "control/travimo.h"
#include "platform/ms_comm.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_host.h"
#include "platform/posix/termios_serial.h"
#include "platform/simple_container.h"
#include "sim/simulator.h"
#include "support/process_usage.h"

namespace {

using namespace travimo;
using testing::OpenDescriptors;
using testing::ResidentKiB;

}  // namespace

int main(int argc, char** argv) {
  const int reads = argc > 1 ? std::atoi(argv[1]) : 1000;
  constexpr int kWarmUp = 10;
  SimpleContainer container;
  posix::PosixHost host{"C"};
  posix::PosixFileSystem files;
  std::string device;
  posix::TermiosBackend serial([&device](int16_t) { return device; });
  Travimo control(ControlSite{container, host, files, serial});
  control.InitProperties();
  control.CommPort(1);

  sim::Script vanishing;
  vanishing.firstByteDelay = 0.0;
  vanishing.hangUpAfter = 0;
  long descriptors0 = 0;
  long resident0 = 0;
  int wrong = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int read = 1; read <= reads; ++read) {
    std::optional<sim::Simulator> simulator;
    if (read % 2 == 0) {
      simulator.emplace(vanishing);
      simulator->Start();
      device = simulator->SlavePath();
    } else {
      device = "/nonexistent/travimo-soak";
    }
    control.ReadTravimo();
    const int32_t expected = read % 2 == 0 ? CommError::ReadFailed : CommError::PortInvalid;
    if (container.errors != read || container.lastError != expected ||
        control.MSComm1().PortOpen() || !control.fraButton().Enabled()) {
      ++wrong;
    }
    simulator.reset();
    if (read == kWarmUp) {
      descriptors0 = OpenDescriptors();
      resident0 = ResidentKiB();
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long descriptors = OpenDescriptors();
  const long resident = ResidentKiB();
  std::printf("soak after %d reads: %ld descriptors, %ld KiB resident\n", kWarmUp, descriptors0,
              resident0);
  std::printf("soak after %d reads: %ld descriptors, %ld KiB resident, %.1f s, %d wrong endings\n",
              reads, descriptors, resident, seconds, wrong);
  const bool ok = wrong == 0 && descriptors == descriptors0 && resident - resident0 <= 1024;
  std::printf("soak %s\n", ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
