// The built-in instrument simulator: `demo` reads from it in this process
// through the real serial backend; `simulate` only runs it for another program.
#include <signal.h>

#include <ctime>
#include <memory>
#include <system_error>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/read_run.h"
#include "cli/session.h"
#include "platform/device_address.h"
#include "platform/posix/trace_file.h"
#include "sim/pty_device.h"
#include "sim/simulator.h"
#include "sim/tcp_bridge.h"

namespace travimo::cli {

namespace {

sim::Mode ModeFor(int32_t type) {
  switch (type) {
    case Ostrel:
      return sim::Mode::Ostrel;
    case Brevane:
      return sim::Mode::Brevane;
    default:
      return sim::Mode::Lorvex;
  }
}

sim::Script ScriptFor(int32_t type, int scans) {
  sim::Script script;
  script.mode = ModeFor(type);
  script.scans = scans;
  return script;
}

// Blocked in this thread (and so in the simulator's, which inherits the mask)
// and taken synchronously with sigtimedwait: no handler runs at all.
class BlockedSignals {
 public:
  BlockedSignals() {
    sigemptyset(&set_);
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set_, number);
    pthread_sigmask(SIG_BLOCK, &set_, &previous_);
  }
  ~BlockedSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  BlockedSignals(const BlockedSignals&) = delete;
  BlockedSignals& operator=(const BlockedSignals&) = delete;

  // True when one arrived within the timeout.
  bool Wait(const timespec& timeout) const { return sigtimedwait(&set_, nullptr, &timeout) > 0; }

 private:
  sigset_t set_;
  sigset_t previous_;
};

}  // namespace

int RunDemoCommand(const DemoCommand& command, Console& console) {
  std::unique_ptr<sim::Simulator> simulator;
  try {
    simulator = std::make_unique<sim::Simulator>(ScriptFor(command.type, command.scans));
    simulator->Start();
  } catch (const std::system_error& error) {
    console.err << "travimo: cannot start the simulator: " << error.what() << '\n';
    return ExitStatus::Other;
  }
  console.err << "Simulated "
              << (command.type == Ostrel    ? "Ostrel"
                  : command.type == Brevane ? "Brevane"
                                            : "Lorvex")
              << " on " << simulator->SlavePath() << '\n';
  ControlSession session(FixedDevice(simulator->SlavePath()), command.trace);
  ReadRequest request;
  request.settings = command.settings;
  request.settings.type = command.type;
#ifndef TRAVIMO_NO_ARCHIVE
  request.archive = command.archive;
  request.source = "demo";
#endif
  request.device = simulator->SlavePath();
  const int status = RunRead(session, request, command.output, console);
  simulator->Stop();
  session.ReportTrace(console.err);
  return status;
}

int RunSimulateCommand(const SimulateCommand& command, Console& console) {
  const BlockedSignals signals;
  try {
    // Before the simulator, whose thread writes to it until it stops.
    std::unique_ptr<posix::TraceFile> trace;
    if (!command.trace.empty()) trace = std::make_unique<posix::TraceFile>(command.trace);
    sim::Simulator simulator(ScriptFor(command.type, command.scans));
    simulator.Trace(trace.get());
    std::unique_ptr<sim::DeviceLink> link;
    if (!command.link.empty()) {
      link = std::make_unique<sim::DeviceLink>(command.link, simulator.SlavePath());
    }
    std::unique_ptr<sim::TcpBridge> bridge;
    if (!command.listen.empty()) {
      bridge = std::make_unique<sim::TcpBridge>(sim::ParseListenAddress(command.listen),
                                                simulator.SlavePath());
    }
    console.out << (link ? link->Path() + " -> " : std::string()) << simulator.SlavePath()
                << std::endl;
    if (bridge) {
      const std::string url =
          "socket://" +
          DeviceAddress{Transport::Socket, bridge->Host(), std::to_string(bridge->Port()), {}}
              .Endpoint();
      console.out << url << std::endl;
      console.err << "Use it with: travimo read --device " << url << '\n';
    }
    console.err << "Use it with: travimo read --device "
                << (link ? link->Path() : simulator.SlavePath()) << "  (Ctrl-C stops)\n";
    simulator.Start();
    const timespec tick{0, 200'000'000};
    while (!signals.Wait(tick) && !simulator.Stats().hungUp) {
    }
    simulator.Stop();
    const auto stats = simulator.Stats();
    console.err << "Served " << stats.connections << " connections, " << stats.requests
                << " requests, " << stats.bytesSent << " bytes\n";
  } catch (const std::system_error& error) {
    console.err << "travimo: cannot run the simulator: " << error.what() << '\n';
    return ExitStatus::Other;
  }
  return ExitStatus::Ok;
}

}  // namespace travimo::cli
