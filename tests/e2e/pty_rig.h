#pragma once
// A control on the real POSIX platform whose port 1 is a simulated instrument
// on a pseudo-terminal. Everything runs in real time.
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <travimo/control/travimo.h>
#include <travimo/platform/posix/posix_file_system.h>
#include <travimo/platform/posix/posix_host.h>
#include "platform/posix/device_backend.h"
#include "platform/posix/regular_file.h"
#include "sim/simulator.h"
#include "support/recording_container.h"

namespace travimo::testing {

// What a file holds; empty when there is none.
inline std::string FileText(const std::string& path) {
  return std::filesystem::exists(path) ? posix::ReadRegularFile(path) : std::string();
}

class PtyRig {
 public:
  // An empty device stands for the simulator's port.
  explicit PtyRig(const sim::Script& script, std::string device = "")
      : simulator(script),
        device(device.empty() ? simulator.SlavePath() : std::move(device)),
        serial([this](int16_t) { return this->device; }),
        control(ControlSite{container, host, files, serial}) {
    control.InitProperties();
    control.CommPort(1);
    simulator.Start();
  }

  // Runs ReadTravimo and returns its wall-clock duration in seconds.
  double Read() {
    const auto start = std::chrono::steady_clock::now();
    control.ReadTravimo();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }

  // Every scan of the records the control holds, in order.
  std::vector<SingleArray> Scans() {
    std::vector<SingleArray> scans;
    for (int32_t scan = 1; scan <= control.NumberOfScans(); ++scan) {
      control.ScanNumber(scan);
      scans.push_back(control.OneScanDataArray());
    }
    return scans;
  }

  sim::Simulator simulator;
  std::string device;  // what port 1 opens; may be changed between reads
  RecordingContainer container;
  posix::PosixHost host{"C"};
  posix::PosixFileSystem files;
  posix::DeviceBackend serial;
  Travimo control;
};

}  // namespace travimo::testing
