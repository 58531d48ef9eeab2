// travimo-sim: an instrument on a pseudo-terminal. Prints the slave path (and
// keeps an optional link to it) until interrupted or hung up.
#include <signal.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <thread>

#include "sim/pty_device.h"
#include "sim/simulator.h"

namespace {

using travimo::sim::Mode;

// Blocks the terminating signals so that the main thread can wait for them.
sigset_t TerminatingSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return signals;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Instrument simulator on a pseudo-terminal"};
  travimo::sim::Script script;
  std::string link;
  size_t hangUpAfter = 0;
  bool noEndMarker = false;
  const std::map<std::string, Mode> modes{
      {"lorvex", Mode::Lorvex}, {"ostrel", Mode::Ostrel}, {"brevane", Mode::Brevane}};
  app.add_option("--mode", script.mode, "Instrument: lorvex, ostrel or brevane")
      ->transform(CLI::CheckedTransformer(modes, CLI::ignore_case));
  app.add_option("--scans", script.scans, "Scans or measurements per transfer")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--points", script.points, "Values per scan");
  app.add_option("--delay", script.firstByteDelay,
                 "Seconds before the first byte (after the request, or after the port opens)");
  app.add_option("--burst-size", script.burstSize, "Bytes per burst; 0 sends all at once");
  app.add_option("--burst-pause", script.burstPause, "Seconds between bursts");
  app.add_flag("--silent", script.silent, "Never answer");
  app.add_option("--garbage", script.garbage, "Text sent ahead of the transfer");
  app.add_flag("--no-end-marker", noEndMarker, "Leave out the end-of-transfer marker");
  app.add_option("--hang-up-after", hangUpAfter, "Drop the line after this many bytes");
  app.add_option("--link", link, "Also make the port reachable under this path");
  CLI11_PARSE(app, argc, argv);
  script.endMarker = !noEndMarker;
  if (app.count("--hang-up-after") != 0) script.hangUpAfter = hangUpAfter;

  const sigset_t signals = TerminatingSignals();
  try {
    travimo::sim::Simulator simulator(script);
    std::unique_ptr<travimo::sim::DeviceLink> deviceLink;
    if (!link.empty()) {
      deviceLink = std::make_unique<travimo::sim::DeviceLink>(link, simulator.SlavePath());
    }
    std::cout << simulator.SlavePath() << std::endl;
    simulator.Start();

    // Ends on a signal, or by itself after a scripted hang-up.
    for (;;) {
      const timespec tick{0, 200'000'000};
      if (sigtimedwait(&signals, nullptr, &tick) > 0) break;
      if (simulator.Stats().hungUp) break;
    }
    simulator.Stop();
    const auto stats = simulator.Stats();
    std::cerr << "requests " << stats.requests << ", keep-alives " << stats.keepAlives
              << ", bytes sent " << stats.bytesSent << "\n";
  } catch (const std::exception& error) {
    std::cerr << "travimo-sim: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
