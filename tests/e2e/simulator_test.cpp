// The simulator seen from the port side, through the POSIX serial backend.
#include "sim/simulator.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/posix/termios_serial.h"

namespace travimo::sim {
namespace {

using namespace std::chrono_literals;

// Collects what the port delivers until `count` bytes, a hang-up or the time is up.
std::string Collect(SerialConnection& port, size_t count, std::chrono::milliseconds within) {
  std::string text;
  const auto end = std::chrono::steady_clock::now() + within;
  uint8_t buffer[512];
  while (text.size() < count && std::chrono::steady_clock::now() < end) {
    const ReadOutcome outcome = port.Read(buffer);
    text.append(reinterpret_cast<const char*>(buffer), outcome.count);
    if (outcome.hungUp) break;
    if (outcome.count == 0) std::this_thread::sleep_for(5ms);
  }
  return text;
}

std::unique_ptr<SerialConnection> OpenPort(const std::string& path) {
  posix::TermiosBackend backend([path](int16_t) { return path; });
  return backend.Open(1, PortOptions{});
}

void Send(SerialConnection& port, const std::string& text) {
  port.Write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

TEST(Simulator, KeepAliveIsCountedAndNotAnswered) {
  Simulator simulator;
  simulator.Start();
  auto port = OpenPort(simulator.SlavePath());
  Send(*port, "WW");
  EXPECT_EQ(Collect(*port, 1, 400ms), "");
  const auto stats = simulator.Stats();
  EXPECT_EQ(stats.keepAlives, 2);
  EXPECT_EQ(stats.requests, 0);
}

TEST(Simulator, ScriptShapesTheAnswer) {
  Script script;
  script.scans = 1;
  script.garbage = "xx";
  script.endMarker = false;
  script.firstByteDelay = 0.2;
  Simulator simulator(script);
  simulator.Start();
  auto port = OpenPort(simulator.SlavePath());
  const auto start = std::chrono::steady_clock::now();
  Send(*port, std::string("D\0", 2));
  const std::string expected = "xx" + DefaultTransfer({Mode::Lorvex, 0, 1, 512, false});
  const std::string got = Collect(*port, expected.size(), 2s);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
  EXPECT_EQ(got, expected);
  EXPECT_EQ(got.find("##"), std::string::npos);
}

TEST(Simulator, BrevaneSendsAfterEachOpen) {
  Script script;
  script.mode = Mode::Brevane;
  script.scans = 1;
  script.points = 3;
  Simulator simulator(script);
  simulator.Start();
  const std::string expected = DefaultTransfer({Mode::Brevane, 0, 1, 3, true});
  for (int open = 0; open < 2; ++open) {
    auto port = OpenPort(simulator.SlavePath());
    EXPECT_EQ(Collect(*port, expected.size(), 2s), expected) << "open " << open;
    port.reset();
    std::this_thread::sleep_for(100ms);  // the simulator notices the close
  }
  EXPECT_EQ(simulator.Stats().connections, 2);
}

TEST(DeviceLink, LinksTheSlaveAndRemovesTheLinkAfterwards) {
  const auto link =
      std::filesystem::temp_directory_path() / ("travimo-sim-link-" + std::to_string(::getpid()));
  {
    PtyDevice pty;
    DeviceLink deviceLink(link.string(), pty.SlavePath());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), pty.SlavePath());
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

}  // namespace
}  // namespace travimo::sim
