// Reads through a real device server: ser2net on loopback serving the
// simulator's pseudo-terminal raw and with the COM port option, the
// simulator's own listener, plus the failures a network line adds (no
// server, a server that never answers or refuses a setting, a server that
// stops part-way).
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "e2e/pty_rig.h"
#include <travimo/model/error.h>
#include <travimo/platform/ms_comm.h>
#include "sim/tcp_bridge.h"
#include "support/same_results.h"
#include "support/ser2net_rig.h"

namespace travimo::testing {
namespace {

using namespace std::chrono_literals;

struct Outcome {
  std::vector<int32_t> errors;
  ReadResults results;
};

Outcome ReadWith(PtyRig& rig, const std::string& device) {
  rig.device = device;
  rig.container.events.clear();
  rig.Read();
  return {rig.container.ErrorNumbers(), CollectResults(rig.control)};
}

#define REQUIRE_SER2NET() \
  if (!Ser2netInstalled()) GTEST_SKIP() << "ser2net is not installed (apt-get install ser2net)"

enum class Route { Raw, Rfc2217, Listener };

// The same records as a direct read, and over RFC 2217 the line settings
// asked for reach the device, where the raw port keeps the server's own.
class EveryInstrument : public ::testing::TestWithParam<sim::Mode> {};

TEST_P(EveryInstrument, ReadsThroughEachRouteAsDirectly) {
  REQUIRE_SER2NET();
  const sim::Mode mode = GetParam();
  PtyRig rig({.mode = mode, .scans = 2});
  rig.control.TravimoType(mode == sim::Mode::Lorvex ? Lorvex : Ostrel);
  rig.control.Settings("19200,n,8,2");
  const Outcome direct = ReadWith(rig, rig.simulator.SlavePath());
  ASSERT_TRUE(direct.errors.empty()) << rig.control.LastErrorDescription();
  ASSERT_GT(direct.results.Count(), 0);
  for (const Route route : {Route::Raw, Route::Rfc2217, Route::Listener}) {
    SCOPED_TRACE(static_cast<int>(route));
    // A server each: one that has just let a client go may still hold the device.
    std::unique_ptr<Ser2netRig> server;
    std::unique_ptr<sim::TcpBridge> bridge;
    std::string url;
    if (route == Route::Listener) {
      bridge = std::make_unique<sim::TcpBridge>(sim::ParseListenAddress("127.0.0.1:0"),
                                                rig.simulator.SlavePath());
      url = "socket://127.0.0.1:" + std::to_string(bridge->Port());
    } else {
      server = std::make_unique<Ser2netRig>(rig.simulator.SlavePath());
      ASSERT_TRUE(server->Running()) << server->Log();
      url = route == Route::Rfc2217 ? server->Rfc2217Url() : server->RawUrl();
    }
    const Outcome remote = ReadWith(rig, url);
    EXPECT_TRUE(remote.errors.empty()) << url << ": " << rig.control.LastErrorDescription();
    EXPECT_TRUE(SameResults(remote.results, direct.results)) << url;
    if (route == Route::Listener) continue;
    const bool rfc2217 = route == Route::Rfc2217;
    const auto line = rig.simulator.Stats().lineAtTransfer;
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->speed, rfc2217 ? B19200 : B9600);
    EXPECT_EQ(line->twoStopBits, rfc2217);
    EXPECT_EQ(line->hardwareFlow, rfc2217 && mode != sim::Mode::Lorvex);
  }
}

std::string ModeName(sim::Mode mode) {
  constexpr const char* kNames[] = {"Lorvex", "Ostrel", "Brevane"};
  return kNames[static_cast<int>(mode)];
}

INSTANTIATE_TEST_SUITE_P(DeviceServer, EveryInstrument,
                         ::testing::Values(sim::Mode::Lorvex, sim::Mode::Ostrel,
                                           sim::Mode::Brevane),
                         [](const auto& info) { return ModeName(info.param); });

// A server stopped part-way is a hang-up; a device that drops its line once
// the transfer is complete closes the connection, and the read delivers as a
// local line would.
TEST(DeviceServer, AConnectionEndsAsALocalLineWould) {
  REQUIRE_SER2NET();
  const struct {
    bool rfc2217;
    bool stopPartWay;
    std::vector<int32_t> errors;
  } cases[] = {{false, true, {CommError::ReadFailed}},
               {true, true, {CommError::ReadFailed}},
               {false, false, {}}};
  for (const auto& c : cases) {
    sim::Script script{.mode = sim::Mode::Ostrel, .scans = 2};
    if (c.stopPartWay) {
      script.burstSize = 64;
      script.burstPause = 0.05;
    } else {
      script.hangUpAfter = sim::DefaultTransfer({script.mode, 0, 2, script.points, true}).size();
    }
    PtyRig rig(script);
    rig.control.TravimoType(Ostrel);  // the type says which end marker counts
    Ser2netRig server(rig.simulator.SlavePath());
    ASSERT_TRUE(server.Running()) << server.Log();
    std::thread stopper([&] {
      const auto deadline = std::chrono::steady_clock::now() + 10s;
      while (c.stopPartWay && rig.simulator.Stats().bytesSent < 200 &&
             std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
      }
      if (c.stopPartWay) server.Stop();
    });
    const Outcome outcome = ReadWith(rig, c.rfc2217 ? server.Rfc2217Url() : server.RawUrl());
    stopper.join();
    EXPECT_EQ(outcome.errors, c.errors) << c.rfc2217 << ": " << rig.control.LastErrorDescription();
    EXPECT_EQ(outcome.results.Count(), c.stopPartWay ? 0 : 2) << c.rfc2217;
  }
}

// Every byte value, 0xFF runs included, both ways through the escaping.
TEST(DeviceServer, EveryByteValueSurvivesBothModes) {
  REQUIRE_SER2NET();
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
    posix::NetworkWaits waits;
    waits.negotiateMs = 300;
    posix::DeviceBackend backend([&](int16_t) { return std::string(c.scheme) + "://" + endpoint; },
                                 {}, waits);
    PortOptions options;
    options.line.baud = 19200;
    const auto start = std::chrono::steady_clock::now();
    try {
      backend.Open(1, options);
      ADD_FAILURE() << c.says << ": opened";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.Number(), c.number) << error.Description();
      EXPECT_NE(error.Description().find(c.says), std::string::npos) << error.Description();
      if (!c.listening) {
        EXPECT_NE(error.Description().find("cannot connect to " + endpoint), std::string::npos);
      }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << c.says;
    if (session.joinable()) session.join();
  }
}

}  // namespace
}  // namespace travimo::testing
