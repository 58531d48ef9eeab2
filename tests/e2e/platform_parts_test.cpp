// Parts of the POSIX platform against the simulator on a pseudo-terminal,
// each on its own: the one-call read and the ready site; the network line,
// every byte value through ser2net on loopback, raw and with the COM port
// option, and the opens it can fail (no server, a server that never answers or
// refuses a setting); and the simulator itself seen from the port side. Whole
// reads, through a device server or not, are pty_read_test's.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include <travimo/platform/ms_comm.h>
#include <travimo/platform/posix/read.h>
#include <travimo/platform/posix/site.h>
#include "platform/posix/device_backend.h"
#include "platform/posix/termios_serial.h"
#include "sim/simulator.h"
#include "support/caught_error.h"
#include "support/scratch_dir.h"
#include "support/ser2net_rig.h"

namespace travimo::testing {
namespace {

using namespace std::chrono_literals;

// Every byte value, 0xFF runs included, both ways through the escaping.
TEST(DeviceServer, EveryByteValueSurvivesBothModes) {
  if (!Ser2netInstalled()) GTEST_SKIP() << "ser2net is not installed (apt-get install ser2net)";
  sim::Simulator simulator;
  std::string all;
  for (int i = 0; i < 3 * 256; ++i) all += static_cast<char>(i);
  simulator.Provider([&](const sim::TransferRequest&) { return all; });
  simulator.Start();
  for (const bool rfc2217 : {false, true}) {
    Ser2netRig server(simulator.SlavePath());
    ASSERT_TRUE(server.Running()) << server.Log();
    const std::string url = rfc2217 ? server.Rfc2217Url() : server.RawUrl();
    auto line = posix::DeviceBackend([&](int16_t) { return url; }).Open(1, PortOptions{});
    line->Write(std::vector<uint8_t>{'D', 0xFF});
    std::string got;
    std::vector<uint8_t> buffer(512);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (got.size() < all.size() && std::chrono::steady_clock::now() < deadline) {
      const ReadOutcome outcome = line->Read(buffer);
      got.append(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(outcome.count));
      ASSERT_FALSE(outcome.hungUp) << outcome.problem;
      if (outcome.count == 0) std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(got, all) << url;
    EXPECT_EQ(simulator.Stats().lastDataType, 0xFF) << url;
    EXPECT_EQ(simulator.Stats().otherBytes, 0u) << url;
  }
}

// Agrees to the option, then answers every setting as asked but the speed.
void AnswerWith9600(int client) {
  const uint8_t agree[] = {255, 253, 44};
  ::send(client, agree, sizeof agree, MSG_NOSIGNAL);
  std::vector<uint8_t> seen;
  const std::vector<uint8_t> purge = {255, 250, 44, 12, 3, 255, 240};
  uint8_t buffer[512];
  while (std::search(seen.begin(), seen.end(), purge.begin(), purge.end()) == seen.end()) {
    const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) return;
    seen.insert(seen.end(), buffer, buffer + got);
  }
  const uint8_t answers[] = {255, 250, 44,  101, 0,   0,   0x25, 0x80, 255, 240,  // 9600 baud
                             255, 250, 44,  102, 8,   255, 240,  255,  250, 44,  103, 1,
                             255, 240, 255, 250, 44,  104, 1,    255,  240, 255, 250, 44,
                             105, 1,   255, 240, 255, 250, 44,   112,  3,   255, 240};
  ::send(client, answers, sizeof answers, MSG_NOSIGNAL);
  ::recv(client, buffer, sizeof buffer, 0);  // until the client gives up
}

// An open that cannot be made ends in time with its number and what went wrong.
TEST(DeviceServer, AnOpenThatFailsSaysWhy) {
  const struct {
    const char* scheme;
    bool listening;
    std::function<void(int)> session;
    int32_t number;
    const char* says;
  } cases[] = {
      {"socket", false, {}, CommError::PortInvalid, "refused"},
      {"rfc2217", false, {}, CommError::PortInvalid, "refused"},
      {"rfc2217", true, {}, CommError::PortInvalid, "did not agree to the COM port option"},
      {"rfc2217", true, AnswerWith9600, ErrorNumber::InvalidPropertyValue,
       "asked for 19200 baud, the server set 9600 baud"},
  };
  for (const auto& c : cases) {
    LoopbackSocket server(c.listening);
    std::thread session;
    if (c.session) {
      session = std::thread([&] {
        const int client = ::accept4(server.fd, nullptr, nullptr, SOCK_CLOEXEC);
        c.session(client);
        ::close(client);
      });
    }
    const std::string endpoint = "127.0.0.1:" + std::to_string(server.port);
    posix::DeviceBackend backend([&](int16_t) { return std::string(c.scheme) + "://" + endpoint; },
                                 {}, {.negotiateMs = 300});
    const auto start = std::chrono::steady_clock::now();
    const RuntimeError error =
        CaughtError([&] { backend.Open(1, PortOptions{.line = {.baud = 19200}}); });
    EXPECT_EQ(error.Number(), c.number) << error.Description();
    EXPECT_THAT(error.Description(), ::testing::HasSubstr(c.says));
    if (!c.listening) {
      EXPECT_THAT(error.Description(), ::testing::HasSubstr("cannot connect to " + endpoint));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << c.says;
    if (session.joinable()) session.join();
  }
}

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
