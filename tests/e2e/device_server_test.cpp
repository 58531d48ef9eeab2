// Reads through a real device server: ser2net on loopback serving the
// simulator's pseudo-terminal raw and with the COM port option, plus the
// failures a network line adds (no server, a server that never answers or
// refuses a setting, a server that stops part-way).
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "e2e/pty_rig.h"
#include "model/error.h"
#include "platform/ms_comm.h"
#include "platform/posix/device_backend.h"
#include "sim/tcp_bridge.h"
#include "support/ser2net_rig.h"

namespace travimo::testing {
namespace {

using namespace std::chrono_literals;

struct Outcome {
  std::vector<int32_t> errors;
  int32_t scans = 0;
  std::vector<LorvexPtr> lorvex;  // the current record of each type, scan by scan
  std::vector<OstrelPtr> ostrel;
  std::vector<BrevanePtr> brevane;
};

Outcome ReadWith(PtyRig& rig, const std::string& device) {
  rig.device = device;
  rig.container.events.clear();
  rig.Read();
  Outcome outcome{rig.container.ErrorNumbers(), rig.control.NumberOfScans(), {}, {}, {}};
  for (int32_t scan = 1; scan <= outcome.scans; ++scan) {
    rig.control.ScanNumber(scan);
    outcome.lorvex.push_back(rig.control.LorvexData());
    outcome.ostrel.push_back(rig.control.OstrelData());
    outcome.brevane.push_back(rig.control.BrevaneData());
  }
  return outcome;
}

// Whole records, field by field and series by value.
template <class Ptr>
bool SameRecords(const std::vector<Ptr>& a, const std::vector<Ptr>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const Ptr& x, const Ptr& y) { return x && y ? *x == *y : x == y; });
}

bool SameRecords(const Outcome& a, const Outcome& b) {
  return a.scans == b.scans && SameRecords(a.lorvex, b.lorvex) && SameRecords(a.ostrel, b.ostrel) &&
         SameRecords(a.brevane, b.brevane);
}

sim::Script Instrument(sim::Mode mode) {
  sim::Script script;
  script.mode = mode;
  script.scans = 2;
  return script;
}

#define REQUIRE_SER2NET() \
  if (!Ser2netInstalled()) GTEST_SKIP() << "ser2net is not installed (apt-get install ser2net)"

// The same records as a direct read, and over RFC 2217 the line settings
// asked for reach the device, where the raw port keeps the server's own.
class EveryInstrument : public ::testing::TestWithParam<sim::Mode> {};

TEST_P(EveryInstrument, ReadsThroughTheServerAsDirectlyInBothModes) {
  REQUIRE_SER2NET();
  const sim::Mode mode = GetParam();
  PtyRig rig(Instrument(mode));
  rig.control.TravimoType(mode == sim::Mode::Lorvex ? Lorvex : Ostrel);
  rig.control.Settings("19200,n,8,2");
  const Outcome direct = ReadWith(rig, rig.simulator.SlavePath());
  ASSERT_TRUE(direct.errors.empty()) << rig.control.LastErrorDescription();
  ASSERT_GT(direct.scans, 0);
  for (const bool rfc2217 : {false, true}) {
    // A server each: one that has just let a client go may still hold the device.
    Ser2netRig server(rig.simulator.SlavePath());
    ASSERT_TRUE(server.Running()) << server.Log();
    const std::string url = rfc2217 ? server.Rfc2217Url() : server.RawUrl();
    const Outcome remote = ReadWith(rig, url);
    EXPECT_TRUE(remote.errors.empty()) << url << ": " << rig.control.LastErrorDescription();
    EXPECT_TRUE(SameRecords(remote, direct)) << url;
    const auto line = rig.simulator.Stats().lineAtTransfer;
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->speed, rfc2217 ? B19200 : B9600) << url;
    EXPECT_EQ(line->twoStopBits, rfc2217) << url;
    EXPECT_EQ(line->hardwareFlow, rfc2217 && mode != sim::Mode::Lorvex) << url;
  }
}

INSTANTIATE_TEST_SUITE_P(DeviceServer, EveryInstrument,
                         ::testing::Values(sim::Mode::Lorvex, sim::Mode::Ostrel,
                                           sim::Mode::Brevane));

TEST(DeviceServer, AServerStoppedPartWayIsAHangUp) {
  REQUIRE_SER2NET();
  sim::Script script = Instrument(sim::Mode::Ostrel);
  script.burstSize = 64;
  script.burstPause = 0.05;
  for (const bool rfc2217 : {false, true}) {
    PtyRig rig(script);
    Ser2netRig server(rig.simulator.SlavePath());
    ASSERT_TRUE(server.Running()) << server.Log();
    std::thread stopper([&] {
      const auto deadline = std::chrono::steady_clock::now() + 10s;
      while (rig.simulator.Stats().bytesSent < 200 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
      }
      server.Stop();
    });
    const Outcome outcome = ReadWith(rig, rfc2217 ? server.Rfc2217Url() : server.RawUrl());
    stopper.join();
    EXPECT_EQ(outcome.errors, std::vector<int32_t>{CommError::ReadFailed})
        << rig.control.LastErrorDescription();
  }
}

// simulate --listen: the simulator's own raw TCP port, no other software.
TEST(DeviceServer, TheSimulatorsListenerServesAReadAsDirectly) {
  PtyRig rig(Instrument(sim::Mode::Lorvex));
  const Outcome direct = ReadWith(rig, rig.simulator.SlavePath());
  sim::TcpBridge bridge(sim::ParseListenAddress("127.0.0.1:0"), rig.simulator.SlavePath());
  const Outcome remote = ReadWith(rig, "socket://127.0.0.1:" + std::to_string(bridge.Port()));
  EXPECT_TRUE(remote.errors.empty()) << rig.control.LastErrorDescription();
  EXPECT_TRUE(SameRecords(remote, direct));
}

// A device that drops its line once the transfer is complete: the server
// closes the connection, and the read delivers as a local line would.
TEST(DeviceServer, AConnectionClosedAfterTheEndMarkerDelivers) {
  REQUIRE_SER2NET();
  sim::Script script = Instrument(sim::Mode::Ostrel);
  script.hangUpAfter =
      sim::DefaultTransfer({sim::Mode::Ostrel, 0, script.scans, script.points, true}).size();
  PtyRig rig(script);
  rig.control.TravimoType(Ostrel);  // the type says which end marker counts
  Ser2netRig server(rig.simulator.SlavePath());
  ASSERT_TRUE(server.Running()) << server.Log();
  const Outcome outcome = ReadWith(rig, server.RawUrl());
  EXPECT_TRUE(outcome.errors.empty()) << rig.control.LastErrorDescription();
  EXPECT_EQ(outcome.scans, script.scans);
}

TEST(DeviceServer, AServerThatIsNotThereIs8002NamingIt) {
  PtyRig rig(Instrument(sim::Mode::Lorvex));
  const std::string endpoint = "127.0.0.1:" + std::to_string(FreePort());
  for (const std::string& url : {"socket://" + endpoint, "rfc2217://" + endpoint}) {
    const Outcome outcome = ReadWith(rig, url);
    EXPECT_EQ(outcome.errors, std::vector<int32_t>{CommError::PortInvalid}) << url;
    const std::string& description = rig.control.LastErrorDescription();
    EXPECT_NE(description.find("cannot connect to " + endpoint), std::string::npos) << description;
    EXPECT_NE(description.find("refused"), std::string::npos) << description;
  }
}

// Every byte value, 0xFF runs included, both ways through the escaping.
TEST(DeviceServer, EveryByteValueSurvivesBothModes) {
  REQUIRE_SER2NET();
  sim::Simulator simulator(Instrument(sim::Mode::Lorvex));
  std::string all;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  }
  simulator.Provider([&](const sim::TransferRequest&) { return all; });
  simulator.Start();
  for (const bool rfc2217 : {false, true}) {
    Ser2netRig server(simulator.SlavePath());
    ASSERT_TRUE(server.Running()) << server.Log();
    const std::string url = rfc2217 ? server.Rfc2217Url() : server.RawUrl();
    posix::DeviceBackend backend([&](int16_t) { return url; });
    auto line = backend.Open(1, PortOptions{});
    const std::vector<uint8_t> request = {'D', 0xFF};
    line->Write(request);
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
  simulator.Stop();
}

// A loopback server that takes connections and then does what the test says.
class FakeServer {
 public:
  explicit FakeServer(std::function<void(int client)> session = {}) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 4);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    if (!session) return;  // connections wait in the backlog, never answered
    thread_ = std::thread([this, session] {
      const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) return;
      session(client);
      ::close(client);
    });
  }
  ~FakeServer() {
    ::shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }
  std::string Url() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }

 private:
  int listener_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
};

RuntimeError OpenFailure(const std::string& url, const PortOptions& options = {}) {
  posix::NetworkWaits waits;
  waits.negotiateMs = 300;
  posix::DeviceBackend backend([&](int16_t) { return url; }, {}, waits);
  try {
    backend.Open(1, options);
  } catch (const RuntimeError& error) {
    return error;
  }
  return RuntimeError(0, "", "opened");
}

TEST(DeviceServer, ANegotiationThatNeverComesEndsInTime) {
  FakeServer silent;
  const auto start = std::chrono::steady_clock::now();
  const RuntimeError error = OpenFailure(silent.Url());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_EQ(error.Number(), CommError::PortInvalid);
  EXPECT_NE(error.Description().find("did not agree to the COM port option"), std::string::npos)
      << error.Description();
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

TEST(DeviceServer, ARefusedSettingIsTheRefusedPropertyError) {
  FakeServer server(AnswerWith9600);
  PortOptions options;
  options.line.baud = 19200;
  const RuntimeError error = OpenFailure(server.Url(), options);
  EXPECT_EQ(error.Number(), ErrorNumber::InvalidPropertyValue) << error.Description();
  EXPECT_NE(error.Description().find("asked for 19200 baud, the server set 9600 baud"),
            std::string::npos)
      << error.Description();
}

}  // namespace
}  // namespace travimo::testing
