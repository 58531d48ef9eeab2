// Whole reads over a real pseudo-terminal, good and bad: the device missing or
// held by someone else, the line dropping, garbage, no end marker, a burst far
// past the receive buffer, silence, a cancel. Whatever happens, the read ends
// with its error number, the port closed, the button usable again, Timer1 as
// it was, the raw-data file holding exactly what arrived, and the previous
// read's records left alone wherever the parse never ran.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e/pty_rig.h"
#include <travimo/model/enums.h>

namespace travimo::testing {
namespace {

constexpr int kEarlier = -1;  // the previous read's records stay
constexpr size_t kAll = std::string::npos;

struct PtyCase {
  const char* name;
  sim::Script script{};
  std::vector<int32_t> errors{};
  int scans = kEarlier;  // or as many as a decode of the raw-data file gives
  double maxSeconds = 5.0;
  double minSeconds = 0.0;
  bool timer1 = false;
  std::optional<int> requests{};
  std::optional<size_t> rawBytes = kAll;  // leading bytes of what was sent; unset: not checked
  const char* description = "";           // part of the error's description
  // Sets the scene; what it returns lives until the read has ended.
  std::function<std::shared_ptr<void>(PtyRig&)> arrange{};
};

std::string Sent(const sim::Script& s) {
  return s.garbage + sim::DefaultTransfer({s.mode, Moisture, s.scans, s.points, s.endMarker});
}

// Deterministic noise without "P" (a record start) or "#" (the end marker).
std::string Noise(size_t length) {
  std::string text;
  for (uint32_t x = 2463534242u; text.size() < length;) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    const char c = static_cast<char>(x & 0xff);
    if (c != 'P' && c != '#') text += c;
  }
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

void PrintTo(const PtyCase& c, std::ostream* out) { *out << c.name; }

std::vector<PtyCase> Cases() {
  const size_t threeScans = Sent(sim::Script{}).size();
  return {
    {.name = "MissingDevice", .errors = {CommError::PortInvalid}, .maxSeconds = 1.5,
     .timer1 = true, .rawBytes = 0, .description = "/nonexistent",
     .arrange = [](PtyRig& rig) {
       rig.device = "/nonexistent/travimo-port";
       return std::shared_ptr<void>();
     }},
    {.name = "DeviceHeldElsewhere", .errors = {CommError::PortInvalid}, .maxSeconds = 1.5,
     .requests = 0, .rawBytes = 0, .description = "in use", .arrange = HoldDevice},
    // The line drops 200 ms after its last byte: after the end marker that is
    // the end of a whole transfer, before it a failure that keeps what arrived.
    {.name = "LineDropsAfterTheEndMarker",
     .script = {.burstSize = 500, .burstPause = 0.02, .hangUpAfter = threeScans},
     .scans = 3, .maxSeconds = 2.0, .timer1 = true},
    {.name = "LineDropsInsideARecord",
     .script = {.burstSize = 500, .burstPause = 0.02, .hangUpAfter = 1700},
     .errors = {CommError::ReadFailed}, .maxSeconds = 2.0, .timer1 = true, .rawBytes = 1700},
    // An instrument that would send for half a minute: the cancel ends the read
    // at the next pause.
    {.name = "CancelWhileStreaming", .script = {.scans = 30, .burstSize = 100, .burstPause = 0.1},
     .errors = {UserCancel}, .maxSeconds = 4.5, .minSeconds = 2.0, .rawBytes = std::nullopt,
     .arrange = CancelAfterTwoSeconds},
    {.name = "GarbageOnly", .errors = {ComportReadError}, .scans = 0, .rawBytes = std::nullopt,
     .arrange =
         [](PtyRig& rig) {
           rig.simulator.Provider([](const sim::TransferRequest&) { return Noise(3000) + "##"; });
           return nullptr;
         }},
    {.name = "GarbageAheadOfTheTransfer", .script = {.scans = 2, .garbage = Noise(700)},
     .scans = 2},
    {.name = "NoEndMarker", .script = {.scans = 2, .endMarker = false}, .scans = 2,
     .maxSeconds = 10.0, .timer1 = true},
    // About 41 KB in one write, forty times the receive buffer.
    {.name = "BurstFarBeyondTheReceiveBuffer", .script = {.scans = 40}, .scans = 40,
     .maxSeconds = 6.0},
    // One second, then three quiet polling passes of two.
    {.name = "SilentInstrument", .script = {.silent = true}, .errors = {ComportReadError},
     .scans = 0, .maxSeconds = 9.0, .minSeconds = 6.5, .timer1 = true, .requests = 1,
     .rawBytes = 0},
    {.name = "LorvexInBursts", .script = {.scans = 4, .burstSize = 700, .burstPause = 0.05},
     .scans = 4, .requests = 1},
    // The "E" ends the wait long before its 30 seconds.
    {.name = "OstrelUnprompted",
     .script = {.mode = sim::Mode::Ostrel, .scans = 2, .points = 20, .firstByteDelay = 0.3},
     .scans = 2, .requests = 0, .arrange = [](PtyRig& rig) {
       rig.control.TravimoType(Ostrel);
       return nullptr;
     }},
  };
}

class PtyRead : public ::testing::TestWithParam<PtyCase> {};

TEST_P(PtyRead, EndsCleanlyKeepingWhatArrived) {
  const PtyCase& c = GetParam();
  PtyRig rig(c.script);
  // Records as a previous read left them: two Lorvex scans decoded without a port.
  rig.control.DecodeTransfer(sim::DefaultTransfer({sim::Mode::Lorvex, Moisture, 2, 512, true}));
  const std::vector<SingleArray> earlier = rig.Scans();
  const std::string raw = (std::filesystem::temp_directory_path() /
                           ("travimo-pty-" + std::to_string(::getpid()) + "-" + c.name))
                              .string();
  rig.control.OutPutFileName(raw);
  rig.control.SaveRawData(true);
  rig.control.Timer1().Enabled(c.timer1);
  std::shared_ptr<void> scene = c.arrange ? c.arrange(rig) : nullptr;

  const double took = rig.Read();
  scene.reset();

  EXPECT_EQ(rig.container.ErrorNumbers(), c.errors) << rig.control.LastErrorDescription();
  EXPECT_THAT(rig.control.LastErrorDescription(), ::testing::HasSubstr(c.description));
  EXPECT_GE(took, c.minSeconds);
  EXPECT_LT(took, c.maxSeconds);
  EXPECT_FALSE(rig.control.MSComm1().PortOpen());
  EXPECT_TRUE(rig.control.fraButton().Enabled());
  EXPECT_FALSE(rig.control.Reading());
  EXPECT_EQ(rig.control.Timer1().Enabled(), c.timer1);
  EXPECT_FALSE(rig.control.Timer2().Enabled());  // the flashing stopped
  EXPECT_EQ(rig.control.cmdReadData().BackColor(), kButtonFace);
  EXPECT_TRUE(rig.control.ReceivedSoFar().empty());
  const sim::SimulatorStats stats = rig.simulator.Stats();
  EXPECT_EQ(stats.requests, c.requests.value_or(stats.requests));
  EXPECT_EQ(stats.lastDataType, stats.requests > 0 ? Moisture : -1);
  const std::string kept = FileText(raw);
  std::filesystem::remove(raw);
  if (c.rawBytes) {
    EXPECT_EQ(kept, Sent(c.script).substr(0, *c.rawBytes));  // every byte unchanged
  }
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
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace travimo::testing
