#pragma once
// What the real-time benchmarks share: a control on the POSIX host whose
// port 1 is a simulated instrument on a pseudo-terminal, and the option to
// run it with the yield of earlier releases, which slept at most a few
// milliseconds whatever its caller waited for: the "before" figures, taken
// on the same host in the same run.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include <travimo/control/travimo.h>
#include <travimo/platform/host_services.h>
#include <travimo/platform/posix/posix_file_system.h>
#include <travimo/platform/posix/posix_host.h>
#include "platform/posix/termios_serial.h"
#include <travimo/platform/simple_container.h>
#include "sim/simulator.h"

namespace travimo::bench {

class CappedHost : public HostServices {
 public:
  // A cap of 0 leaves every yield as the host makes it.
  CappedHost(HostServices& host, double capSeconds) : host_(host), cap_(capSeconds) {}

  double SecondsSinceMidnight() override { return host_.SecondsSinceMidnight(); }
  double MonotonicSeconds() override { return host_.MonotonicSeconds(); }
  void YieldUntil(double until) override {
    host_.YieldUntil(cap_ > 0 ? std::min(until, host_.MonotonicSeconds() + cap_) : until);
  }
  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override {
    return host_.CreateTimer(std::move(onTick));
  }
  SourceRegistration AddSource(IoSource& source) override { return host_.AddSource(source); }
  MessageBoxResult ShowMessageBox(const MessageBoxRequest& request) override {
    return host_.ShowMessageBox(request);
  }
  std::string BytesToText(std::span<const uint8_t> bytes) override {
    return host_.BytesToText(bytes);
  }
  RegionalSettings Regional() override { return host_.Regional(); }

 private:
  HostServices& host_;
  double cap_;
};

struct Rig {
  Rig(const sim::Script& script, double capSeconds)
      : simulator(script),
        host(posixHost, capSeconds),
        serial([this](int16_t) { return simulator.SlavePath(); }),
        control(ControlSite{container, host, files, serial}) {
    control.InitProperties();
    control.CommPort(1);
    simulator.Start();
  }
  sim::Simulator simulator;
  SimpleContainer container;
  posix::PosixHost posixHost{"C"};
  CappedHost host;
  posix::PosixFileSystem files;
  posix::TermiosBackend serial;
  Travimo control;
};

// "--cap-ms N" and one more argument, which `fallback` names when absent.
struct Arguments {
  double capSeconds = 0.0;
  const char* value = nullptr;
};

inline Arguments ParseArguments(int argc, char** argv, const char* fallback) {
  Arguments arguments{0.0, fallback};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--cap-ms") == 0 && i + 1 < argc) {
      arguments.capSeconds = std::atof(argv[++i]) / 1000.0;
    } else {
      arguments.value = argv[i];
    }
  }
  return arguments;
}

}  // namespace travimo::bench
