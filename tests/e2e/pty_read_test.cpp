// Whole reads over a real pseudo-terminal, directly or through a device server
// on loopback (ser2net serving it raw or with the COM port option, or the
// simulator's own listener), good and bad: the device held by someone else,
// the line dropping, the server stopping, garbage ahead of the transfer, a
// burst far past the receive buffer, silence, a cancel, a raw-data file that
// cannot be written. Whatever happens, the read ends with its error number,
// the port closed, the button usable again, Timer1 as it was, the raw-data
// file holding exactly what arrived (or its old content), no temporary file
// beside it, and the previous read's records left alone wherever the parse
// never ran.
//
// Then the parts on their own: the network line (every byte value through
// ser2net, raw and with the COM port option, and the opens it can fail), the
// one-call read and the ready site, and the simulator seen from the port side.
// Last, failing reads in a row, the device missing or vanishing, leave no
// descriptor and no memory behind; the thousand-read run is bench/soak_bench,
// and each vanishing read costs the second a read always waits.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <travimo/control/travimo.h>
#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include <travimo/platform/ms_comm.h>
#include <travimo/platform/posix/posix_file_system.h>
#include <travimo/platform/posix/posix_host.h>
#include <travimo/platform/posix/read.h>
#include <travimo/platform/posix/site.h>
#include "platform/posix/device_backend.h"
#include "platform/posix/termios_serial.h"
#include "sim/simulator.h"
#include "sim/tcp_bridge.h"
#include "support/caught_error.h"
#include "support/recording_container.h"
#include "support/scratch_dir.h"
#include "support/ser2net_rig.h"
#include "support/soak_loop.h"

#if defined(__SANITIZE_ADDRESS__)
#define TRAVIMO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRAVIMO_ASAN 1
#endif
#endif

namespace travimo::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A control on the real POSIX platform whose port 1 is a simulated instrument
// on a pseudo-terminal. Everything runs in real time.
struct PtyRig {
  explicit PtyRig(const sim::Script& script)
      : simulator(script),
        device(simulator.SlavePath()),
        serial([this](int16_t) { return this->device; }),
        control(ControlSite{container, host, files, serial}) {
    control.InitProperties();
    control.CommPort(1);
    simulator.Start();
  }

  // Every scan of the records the control holds, in order.
  std::vector<SingleArray> Scans() {
    std::vector<SingleArray> scans;
    for (int32_t scan = 1; scan <= control.NumberOfScans(); ++scan) {
      control.ScanNumber(scan);
      scans.push_back(control.OneScanDataArray());
    }
    return scans;
  }

  sim::Simulator simulator;
  std::string device;  // what port 1 opens; the scene may change it
  RecordingContainer container;
  posix::PosixHost host{"C"};
  posix::PosixFileSystem files;
  posix::DeviceBackend serial;
  Travimo control;
};

constexpr int kEarlier = -1;  // the previous read's records stay
constexpr size_t kAll = std::string::npos;
constexpr char kOldContent[] = "old content that must survive\n";

// Through ser2net, raw or with the COM port option; the simulator's listener.
enum class Route { Direct, Raw, Rfc2217, Listener };

struct PtyCase {
  std::string name;
  sim::Script script{};
  std::vector<int32_t> errors{};
  int scans = kEarlier;  // or as many as a decode of the raw-data file gives
  double maxSeconds = 5.0;
  double minSeconds = 0.0;
  bool timer1 = false;
  std::optional<int> requests{};
  std::optional<size_t> rawBytes = kAll;  // leading bytes of what was sent; unset: not checked
  const char* description = "";           // part of the error's description
  bool keepsOld = false;  // raw.dat, in a folder of the case's own, holds kOldContent still
  // Sets the scene; what it returns lives until the read has ended.
  std::function<std::shared_ptr<void>(PtyRig&)> arrange{};
  Route route = Route::Direct;
  bool serverStops = false;  // part-way, as a crash would stop it
};

std::string Sent(const sim::Script& s) {
  return s.garbage + sim::DefaultTransfer({s.mode, Moisture, s.scans, s.points, s.endMarker});
}

// Bytes of every value in a scattered order but "P" (a record start) and "#"
// (the end marker).
std::string Noise(size_t length) {
  std::string text;
  for (unsigned i = 0; text.size() < length; ++i)
    if (const char c = static_cast<char>(i * 37 + i / 256); c != 'P' && c != '#') text += c;
  return text;
}

// Another program has the port: exclusive tty mode and the advisory lock.
std::shared_ptr<void> HoldDevice(PtyRig& rig) {
  const int holder = ::open(rig.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  EXPECT_EQ(::ioctl(holder, TIOCEXCL), 0);
  EXPECT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  return std::shared_ptr<void>(nullptr, [holder](void*) { ::close(holder); });
}

std::shared_ptr<void> CancelAfterTwoSeconds(PtyRig& rig) {
  std::shared_ptr<Timer> cancel = rig.host.CreateTimer([&] { rig.control.CancelTransfer(true); });
  cancel->Interval(2000);
  cancel->Enabled(true);
  return cancel;
}

// Files may grow to the old content's size at most; writing past that fails
// with EFBIG instead of raising SIGXFSZ.
std::shared_ptr<void> LimitFileSize(PtyRig&) {
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limit = saved;
  limit.rlim_cur = sizeof kOldContent;
  setrlimit(RLIMIT_FSIZE, &limit);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  return std::shared_ptr<void>(nullptr, [saved, previous](void*) {
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
  });
}

// Puts the case's device server between the control and the simulator; the
// line is asked for settings a raw port cannot pass on, and the type says
// which end marker counts.
std::shared_ptr<void> Through(PtyRig& rig, const PtyCase& c) {
  if (c.route == Route::Direct) return nullptr;
  rig.control.TravimoType(c.script.mode == sim::Mode::Lorvex ? Lorvex : Ostrel);
  rig.control.Settings("19200,n,8,2");
  const std::string pty = rig.simulator.SlavePath();
  if (c.route == Route::Listener) {
    auto bridge = std::make_shared<sim::TcpBridge>(sim::ParseListenAddress("127.0.0.1:0"), pty);
    rig.device = "socket://127.0.0.1:" + std::to_string(bridge->Port());
    return bridge;
  }
  auto server = std::make_shared<Ser2netRig>(pty);
  EXPECT_TRUE(server->Running()) << server->Log();
  rig.device = c.route == Route::Rfc2217 ? server->Rfc2217Url() : server->RawUrl();
  if (!c.serverStops) return server;
  return std::make_shared<std::jthread>([&rig, server] {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (rig.simulator.Stats().bytesSent < 200 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(10ms);
    server->Stop();
  });
}

void PrintTo(const PtyCase& c, std::ostream* out) { *out << c.name; }

std::vector<PtyCase> Cases() {
  const size_t threeScans = Sent(sim::Script{}).size();
  std::vector<PtyCase> cases = {
    {.name = "DeviceHeldElsewhere", .errors = {CommError::PortInvalid}, .maxSeconds = 1.5,
     .requests = 0, .rawBytes = 0, .description = "in use", .arrange = HoldDevice},
    // The line drops 200 ms after its last byte: after the end marker that is
    // the end of a whole transfer, before it a failure that keeps what arrived.
    {.name = "LineDropsAfterTheEndMarker",
     .script = {.burstSize = 500, .burstPause = 0.02, .hangUpAfter = threeScans},
     .scans = 3, .maxSeconds = 2.0, .timer1 = true, .requests = 1},
    {.name = "LineDropsInsideARecord",
     .script = {.burstSize = 500, .burstPause = 0.02, .hangUpAfter = 1700},
     .errors = {CommError::ReadFailed}, .maxSeconds = 2.0, .timer1 = true, .rawBytes = 1700},
    // An instrument that would send for half a minute: the cancel ends the read
    // at the next pause.
    {.name = "CancelWhileStreaming", .script = {.scans = 30, .burstSize = 100, .burstPause = 0.1},
     .errors = {UserCancel}, .maxSeconds = 4.5, .minSeconds = 2.0, .rawBytes = std::nullopt,
     .arrange = CancelAfterTwoSeconds},
    {.name = "GarbageAheadOfTheTransfer", .script = {.scans = 2, .garbage = Noise(700)},
     .scans = 2},
    // About 41 KB in one write, forty times the receive buffer.
    {.name = "BurstFarBeyondTheReceiveBuffer", .script = {.scans = 40}, .scans = 40,
     .maxSeconds = 6.0},
    // One second, then three quiet polling passes of two.
    {.name = "SilentInstrument", .script = {.silent = true}, .errors = {ComportReadError},
     .scans = 0, .maxSeconds = 9.0, .minSeconds = 6.5, .timer1 = true, .requests = 1,
     .rawBytes = 0},
    // The raw-data file cannot be written: the read fails naming it.
    {.name = "RawDataFileSizeLimit", .errors = {ErrorNumber::PathFileAccess},
     .rawBytes = std::nullopt, .description = "raw.dat", .keepsOld = true,
     .arrange = LimitFileSize},
    // A device that drops its line once the transfer is complete closes the
    // connection, and the read delivers as a local line would.
    {.name = "OstrelDeviceHangsUpRaw",
     .script = {.mode = sim::Mode::Ostrel, .scans = 2,
                .hangUpAfter = Sent({.mode = sim::Mode::Ostrel, .scans = 2}).size()},
     .scans = 2, .route = Route::Raw},
  };
  // Every instrument through every route reads as directly, only a Lorvex
  // asked; a server stopped part-way is a hang-up.
  constexpr const char* kModes[] = {"Lorvex", "Ostrel", "Brevane"};
  for (const auto& [route, name] : {std::pair{Route::Raw, "Raw"}, {Route::Rfc2217, "Rfc2217"},
                                    {Route::Listener, "Listener"}}) {
    for (const sim::Mode mode : {sim::Mode::Lorvex, sim::Mode::Ostrel, sim::Mode::Brevane}) {
      cases.push_back({.name = kModes[static_cast<int>(mode)] + std::string(name),
                       .script = {.mode = mode, .scans = 2}, .scans = 2,
                       .requests = mode == sim::Mode::Lorvex ? 1 : 0, .route = route});
    }
    if (route == Route::Listener) continue;
    cases.push_back(
        {.name = "OstrelServerStops" + std::string(name),
         .script = {.mode = sim::Mode::Ostrel, .scans = 2, .burstSize = 64, .burstPause = 0.05},
         .errors = {CommError::ReadFailed}, .rawBytes = std::nullopt, .route = route,
         .serverStops = true});
  }
  return cases;
}

class PtyRead : public ::testing::TestWithParam<PtyCase> {};

TEST_P(PtyRead, EndsCleanlyKeepingWhatArrived) {
  const PtyCase& c = GetParam();
  const bool ser2net = c.route == Route::Raw || c.route == Route::Rfc2217;
  if (ser2net && !Ser2netInstalled()) GTEST_SKIP() << "no ser2net (apt-get install ser2net)";
  PtyRig rig(c.script);
  // Records as a previous read left them: two Lorvex scans decoded without a port.
  rig.control.DecodeTransfer(sim::DefaultTransfer({sim::Mode::Lorvex, Moisture, 2, 512, true}));
  const ScratchDir dir;
  const fs::path raw = dir / "raw.dat";
  if (c.keepsOld) std::ofstream(raw) << kOldContent;
  rig.control.OutPutFileName(raw.string());
  rig.control.SaveRawData(true);
  rig.control.Timer1().Enabled(c.timer1);
  std::shared_ptr<void> scene = c.arrange ? c.arrange(rig) : Through(rig, c);
  const std::vector<SingleArray> earlier = rig.Scans();  // as the scene's type shows them

  const auto start = std::chrono::steady_clock::now();
  rig.control.ReadTravimo();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  scene.reset();

  EXPECT_EQ(rig.container.ErrorNumbers(), c.errors) << rig.control.LastErrorDescription();
  EXPECT_THAT(rig.control.LastErrorDescription(), ::testing::HasSubstr(c.description));
  EXPECT_GE(took.count(), c.minSeconds);
  EXPECT_LT(took.count(), c.maxSeconds);
  Travimo& control = rig.control;  // idle again, Timer2's flashing stopped
  EXPECT_EQ(std::tuple(control.MSComm1().PortOpen(), control.fraButton().Enabled(),
                       control.Reading(), control.Timer1().Enabled(), control.Timer2().Enabled(),
                       control.cmdReadData().BackColor(), control.ReceivedSoFar()),
            std::tuple(false, true, false, c.timer1, false, kButtonFace, ""));
  const sim::SimulatorStats stats = rig.simulator.Stats();
  EXPECT_EQ(stats.requests, c.requests.value_or(stats.requests));
  EXPECT_EQ(stats.lastDataType, stats.requests > 0 ? Moisture : -1);
  if (ser2net) {  // RFC 2217 passes the line's settings on, a raw port keeps the server's
    const bool passed = c.route == Route::Rfc2217;
    ASSERT_TRUE(stats.lineAtTransfer.has_value());
    EXPECT_EQ(stats.lineAtTransfer->speed, passed ? B19200 : B9600);
    EXPECT_EQ(stats.lineAtTransfer->twoStopBits, passed);
    EXPECT_EQ(stats.lineAtTransfer->hardwareFlow, passed && c.script.mode != sim::Mode::Lorvex);
  }
  const std::string kept = ContentOf(raw);
  if (c.rawBytes) {
    EXPECT_EQ(kept, Sent(c.script).substr(0, *c.rawBytes));  // every byte unchanged
  }
  if (c.keepsOld) {
    EXPECT_EQ(kept, kOldContent);
  }
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    EXPECT_EQ(entry.path(), raw) << "a temporary file was left behind";
  if (c.scans == kEarlier) {
    EXPECT_EQ(rig.Scans(), earlier);  // a failed read never reaches the parser
  } else {
    const std::vector<SingleArray> got = rig.Scans();
    EXPECT_EQ(got.size(), static_cast<size_t>(c.scans));
    if (c.scans > 0) {
      rig.control.DecodeTransfer(kept);
      EXPECT_EQ(got, rig.Scans());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pty, PtyRead, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

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
// hands the events to their callbacks. Every instrument is read whole by the
// pseudo-terminal reads.
TEST(HostInterface, ReadsAndReportsAMissingDevice) {
  sim::Simulator simulator({.mode = sim::Mode::Ostrel, .scans = 2, .points = 20});
  simulator.Start();
  const ReadResults results = Read({.device = simulator.SlavePath(), .type = Ostrel});
  EXPECT_EQ(results.kind, KindOfType(Ostrel));
  EXPECT_EQ(results.Count(), 2);
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

TEST(Soak, FailingReadsLeaveNoDescriptorsOrMemoryBehind) {
  constexpr int kReads = 40;
  SoakLoop<RecordingContainer> soak;
  soak.Run(kReads, [&](int read) {
    const auto& errors = soak.container.ErrorNumbers();
    EXPECT_EQ(errors.size(), static_cast<size_t>(read));
    EXPECT_EQ(errors.empty() ? 0 : errors.back(), soak.ExpectedError(read)) << "read " << read;
    EXPECT_TRUE(soak.EndedCleanly()) << "read " << read;
    return !HasFailure();
  });
  ASSERT_FALSE(HasFailure());
  const ProcessUsage end = ProcessUsage::Now();
  std::printf("after %d reads: %ld descriptors, %ld KiB resident; after %d: %ld, %ld KiB\n",
              soak.kWarmUp, soak.afterWarmUp.descriptors, soak.afterWarmUp.residentKiB, kReads,
              end.descriptors, end.residentKiB);
  EXPECT_EQ(end.descriptors, soak.afterWarmUp.descriptors);
#ifndef TRAVIMO_ASAN
  // The sanitizer's quarantine holds freed memory back, so only plain builds judge memory.
  EXPECT_LE(end.residentKiB - soak.afterWarmUp.residentKiB, 1024);
#endif
}

}  // namespace
}  // namespace travimo::testing
