// The simulator seen from the port side, through the POSIX serial backend.
// What it sends is checked byte for byte by the reads over a pseudo-terminal.
#include "sim/simulator.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <filesystem>

#include "platform/posix/termios_serial.h"
#include "support/scratch_dir.h"

namespace travimo::sim {
namespace {

TEST(Simulator, KeepAliveIsCountedAndNotAnswered) {
  Simulator simulator;
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
  const testing::ScratchDir dir;
  const std::string link = dir / "link";
  {
    PtyDevice pty;
    DeviceLink deviceLink(link, pty.SlavePath());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), pty.SlavePath());
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

}  // namespace
}  // namespace travimo::sim
