// The one-call read and the ready POSIX site against the simulator on a
// pseudo-terminal, and the simulator itself seen from the port side (what it
// sends is checked byte for byte by the reads over a pseudo-terminal).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <filesystem>
#include <vector>

#include <travimo/model/enums.h>
#include <travimo/platform/posix/read.h>
#include <travimo/platform/posix/site.h>
#include "platform/posix/termios_serial.h"
#include "sim/simulator.h"
#include "support/caught_error.h"
#include "support/scratch_dir.h"

namespace travimo::testing {
namespace {

constexpr const char* kMissingDevice = "/dev/travimo-no-such-device";

// The one call returns the records or throws the error's number; the site
// hands the events to their callbacks.
TEST(HostInterface, ReadsEachInstrumentAndReportsAMissingDevice) {
  for (const sim::Mode mode : {sim::Mode::Lorvex, sim::Mode::Ostrel}) {
    sim::Simulator simulator({.mode = mode, .scans = 2, .points = 20});
    simulator.Start();
    const int32_t type = mode == sim::Mode::Lorvex ? Lorvex : Ostrel;
    const ReadResults results = Read({.device = simulator.SlavePath(), .type = type});
    EXPECT_EQ(results.kind, KindOfType(type)) << type;
    EXPECT_EQ(results.Count(), 2) << type;
  }
  const RuntimeError error = CaughtError([] { Read({.device = kMissingDevice}); });
  EXPECT_EQ(error.Number(), ComportError);
  EXPECT_THAT(error.Description(), ::testing::HasSubstr(kMissingDevice));

  posix::Site site(kMissingDevice, "C");
  std::vector<int32_t> errors;
  int clicks = 0;
  site.events.onError = [&errors](int32_t number) { errors.push_back(number); };
  site.events.onClick = [&clicks] { ++clicks; };
  Travimo control(site.Services());
  control.InitProperties();

  control.ButtonClick();  // a read that fails, then the click

  EXPECT_EQ(errors, std::vector<int32_t>{ComportError});
  EXPECT_EQ(clicks, 1);
}

TEST(Simulator, KeepAliveIsCountedAndNotAnswered) {
  sim::Simulator simulator;
  simulator.Start();
  auto port = posix::TermiosBackend([&](int16_t) { return simulator.SlavePath(); })
                  .Open(1, PortOptions{});
  port->Write(std::vector<uint8_t>{'W', 'W'});
  ::poll(nullptr, 0, 400);
  uint8_t buffer[16];
  EXPECT_EQ(port->Read(buffer).count, 0u);
  EXPECT_EQ(simulator.Stats().keepAlives, 2);
  EXPECT_EQ(simulator.Stats().requests, 0);
}

TEST(DeviceLink, LinksTheSlaveAndRemovesTheLinkAfterwards) {
  const ScratchDir dir;
  const std::string link = dir / "link";
  {
    sim::PtyDevice pty;
    sim::DeviceLink deviceLink(link, pty.SlavePath());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), pty.SlavePath());
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

}  // namespace
}  // namespace travimo::testing
