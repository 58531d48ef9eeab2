#pragma once
// Failing reads in a row on the real platform, the device missing and the
// device vanishing right after the open in turn, with what the process holds
// after a warm-up and at the end. Header-only so the bench can use it too.
#include <cstdint>
#include <optional>
#include <string>

#include <travimo/control/travimo.h>
#include <travimo/platform/ms_comm.h>
#include <travimo/platform/posix/posix_file_system.h>
#include <travimo/platform/posix/posix_host.h>
#include "platform/posix/termios_serial.h"
#include "sim/simulator.h"
#include "support/process_usage.h"

namespace travimo::testing {

template <class ContainerT>
class SoakLoop {
 public:
  static constexpr int kWarmUp = 10;

  SoakLoop() {
    control.InitProperties();
    control.CommPort(1);
    vanishing_.firstByteDelay = 0.0;
    vanishing_.hangUpAfter = 0;  // the line drops as soon as the request arrives
  }

  // Odd reads find no device, even ones lose the line.
  static int32_t ExpectedError(int read) {
    return read % 2 == 0 ? CommError::ReadFailed : CommError::PortInvalid;
  }

  // Runs `reads` reads, calling check(read) after each while its simulator
  // is still up; a false answer stops the loop.
  template <class Check>
  void Run(int reads, Check check) {
    for (int read = 1; read <= reads; ++read) {
      std::optional<sim::Simulator> simulator;
      if (read % 2 == 0) {
        simulator.emplace(vanishing_);
        simulator->Start();
        device_ = simulator->SlavePath();
      } else {
        device_ = "/nonexistent/travimo-soak";
      }
      control.ReadTravimo();
      if (!check(read)) return;
      simulator.reset();
      if (read == kWarmUp) afterWarmUp = ProcessUsage::Now();
    }
  }

  bool EndedCleanly() const {
    return !control.MSComm1().PortOpen() && control.fraButton().Enabled();
  }

  ContainerT container;
  ProcessUsage afterWarmUp;

 private:
  sim::Script vanishing_;
  std::string device_;
  posix::PosixHost host_{"C"};
  posix::PosixFileSystem files_;
  posix::TermiosBackend serial_{[this](int16_t) { return device_; }};

 public:
  Travimo control{ControlSite{container, host_, files_, serial_}};
};

}  // namespace travimo::testing
