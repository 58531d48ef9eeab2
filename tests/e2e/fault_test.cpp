// Reads that go wrong over a real pseudo-terminal: the device missing or held
// by someone else, the line dropping, garbage, no end marker, a burst far past
// the receive buffer, silence. Whatever happens, the read ends with its error
// number, the port closed, the button usable again, Timer1 as it was, and the
// previous read's records left alone wherever the parse never ran.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/pty_rig.h"
#include "model/enums.h"

namespace travimo::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FaultRig : public PtyRig {
 public:
  explicit FaultRig(const sim::Script& script) : PtyRig(script) {}

  // Records as a previous read left them: two Lorvex scans decoded without a port.
  void LeaveEarlierRecords() {
    control.DecodeTransfer(sim::DefaultTransfer({sim::Mode::Lorvex, Moisture, 2, 512, true}));
    ASSERT_EQ(control.NumberOfScans(), 2);
    earlier = Scans();
  }

  // What every ending must restore, whatever it reported.
  void ExpectCleanEnd(bool timer1Before) {
    EXPECT_FALSE(control.MSComm1().PortOpen());
    EXPECT_TRUE(control.fraButton().Enabled());
    EXPECT_FALSE(control.Reading());
    EXPECT_EQ(control.Timer1().Enabled(), timer1Before);
    EXPECT_FALSE(control.Timer2().Enabled());  // the flashing stopped
    EXPECT_EQ(control.cmdReadData().BackColor(), kButtonFace);
  }

  std::vector<SingleArray> earlier;
};

sim::Script LorvexScript(int scans) {
  sim::Script script;
  script.scans = scans;
  script.firstByteDelay = 0.05;
  return script;
}

TEST(Fault, MissingDeviceFailsFastAndKeepsTheRecords) {
  FaultRig rig(LorvexScript(2));
  rig.LeaveEarlierRecords();
  rig.device = "/nonexistent/travimo-port";
  rig.control.Timer1().Enabled(true);

  const double took = rig.Read();

  EXPECT_THAT(rig.container.ErrorNumbers(), ElementsAre(CommError::PortInvalid));
  EXPECT_THAT(rig.control.LastErrorDescription(), ::testing::HasSubstr("/nonexistent"));
  EXPECT_LT(took, 1.5);
  rig.ExpectCleanEnd(true);
  EXPECT_EQ(rig.Scans(), rig.earlier);
}

TEST(Fault, DeviceHeldElsewhereIsBusy) {
  FaultRig rig(LorvexScript(2));
  rig.LeaveEarlierRecords();
  // Another program has the port: exclusive tty mode and the advisory lock.
  const int holder = ::open(rig.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::ioctl(holder, TIOCEXCL), 0);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

  const double took = rig.Read();
  ::close(holder);

  EXPECT_THAT(rig.container.ErrorNumbers(), ElementsAre(CommError::PortInvalid));
  EXPECT_THAT(rig.control.LastErrorDescription(), ::testing::HasSubstr("in use"));
  EXPECT_LT(took, 1.5);
  rig.ExpectCleanEnd(false);
  EXPECT_EQ(rig.Scans(), rig.earlier);
  EXPECT_EQ(rig.simulator.Stats().requests, 0);
}

// A file of the test's own for the raw-data save.
std::string RawDataPath() {
  const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  return (std::filesystem::temp_directory_path() /
          ("travimo-fault-" + std::to_string(::getpid()) + "-" + name + ".dat"))
      .string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The line drops 200 ms after the last byte it delivers. Once the end marker
// is in, that is the end of a whole transfer; before it, a read failure that
// still keeps what arrived in the raw-data file.
TEST(Fault, LineDroppingKeepsWhatArrived) {
  const std::string transfer = sim::DefaultTransfer({sim::Mode::Lorvex, Moisture, 3, 512, true});
  const struct {
    size_t hangUpAfter;
    bool whole;
  } cases[] = {{transfer.size(), true}, {1700, false}};  // 1700: inside the second record
  for (const auto& c : cases) {
    sim::Script script = LorvexScript(3);
    script.burstSize = 500;
    script.burstPause = 0.02;
    script.hangUpAfter = c.hangUpAfter;
    FaultRig rig(script);
    rig.LeaveEarlierRecords();
    rig.control.Timer1().Enabled(true);
    const std::string raw = RawDataPath();
    rig.control.OutPutFileName(raw);
    rig.control.SaveRawData(true);

    const double took = rig.Read();

    EXPECT_LT(took, 2.0) << c.hangUpAfter;  // no polling pass waits on a dead line
    rig.ExpectCleanEnd(true);
    EXPECT_EQ(ReadFile(raw), transfer.substr(0, c.hangUpAfter));
    if (c.whole) {
      EXPECT_THAT(rig.container.ErrorNumbers(), IsEmpty());
      EXPECT_EQ(rig.control.NumberOfScans(), 3);
    } else {
      EXPECT_THAT(rig.container.ErrorNumbers(), ElementsAre(CommError::ReadFailed));
      EXPECT_EQ(rig.Scans(), rig.earlier);  // a failed read never reaches the parser
    }
    EXPECT_TRUE(rig.control.ReceivedSoFar().empty());
    std::filesystem::remove(raw);
  }
}

// An instrument that keeps sending for half a minute: a cancel ends the read
// at the next pause, not when the instrument stops.
TEST(Fault, CancelEndsAStreamingRead) {
  sim::Script script = LorvexScript(30);
  script.burstSize = 100;
  script.burstPause = 0.1;
  FaultRig rig(script);
  auto cancel = rig.host.CreateTimer([&] { rig.control.CancelTransfer(true); });
  cancel->Interval(2000);
  cancel->Enabled(true);

  const double took = rig.Read();
  cancel.reset();

  EXPECT_THAT(rig.container.ErrorNumbers(), ElementsAre(UserCancel));
  EXPECT_LT(took, 2.0 + 2.5);
  rig.ExpectCleanEnd(false);
}

// Deterministic noise without "P" (a record start) or "#" (the end marker).
std::string Noise(size_t length) {
  std::string text;
  uint32_t x = 2463534242u;
  while (text.size() < length) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    const char c = static_cast<char>(x & 0xff);
    if (c != 'P' && c != '#') text += c;
  }
  return text;
}

TEST(Fault, GarbageEndsAsAParseFailure) {
  FaultRig rig(LorvexScript(1));
  rig.simulator.Provider([](const sim::TransferRequest&) { return Noise(3000) + "##"; });
  rig.LeaveEarlierRecords();

  const double took = rig.Read();

  EXPECT_THAT(rig.container.ErrorNumbers(), ElementsAre(ComportReadError));
  EXPECT_LT(took, 5.0);
  rig.ExpectCleanEnd(false);
  EXPECT_EQ(rig.control.NumberOfScans(), 0);  // the parse ran and found no record
}

TEST(Fault, GarbageAheadOfATransferIsIgnored) {
  sim::Script script = LorvexScript(2);
  script.garbage = Noise(700);
  FaultRig rig(script);

  rig.Read();

  EXPECT_THAT(rig.container.ErrorNumbers(), IsEmpty());
  EXPECT_EQ(rig.control.NumberOfScans(), 2);
  rig.ExpectCleanEnd(false);
}

TEST(Fault, TransferWithoutEndMarkerEndsAfterThePollingPasses) {
  sim::Script script = LorvexScript(2);
  script.endMarker = false;
  FaultRig rig(script);
  rig.control.Timer1().Enabled(true);

  const double took = rig.Read();

  EXPECT_THAT(rig.container.ErrorNumbers(), IsEmpty());
  EXPECT_EQ(rig.control.NumberOfScans(), 2);
  EXPECT_LT(took, 10.0);
  rig.ExpectCleanEnd(true);
}

TEST(Fault, BurstFarBeyondTheReceiveBufferArrivesWhole) {
  constexpr int kScans = 40;  // about 41 KB in one write
  FaultRig rig(LorvexScript(kScans));
  ASSERT_LT(rig.control.InBufferSize(), kScans * 1039);
  FaultRig reference(LorvexScript(1));
  reference.control.DecodeTransfer(
      sim::DefaultTransfer({sim::Mode::Lorvex, Moisture, kScans, 512, true}));

  const double took = rig.Read();

  EXPECT_THAT(rig.container.ErrorNumbers(), IsEmpty());
  EXPECT_LT(took, 6.0);
  EXPECT_EQ(rig.Scans(), reference.Scans());
  EXPECT_EQ(rig.Scans().size(), static_cast<size_t>(kScans));
  rig.ExpectCleanEnd(false);
}

TEST(Fault, SilentInstrumentEndsAfterTheWaits) {
  sim::Script script = LorvexScript(2);
  script.silent = true;
  FaultRig rig(script);
  rig.LeaveEarlierRecords();
  rig.control.Timer1().Enabled(true);

  const double took = rig.Read();

  EXPECT_THAT(rig.container.ErrorNumbers(), ElementsAre(ComportReadError));
  EXPECT_GT(took, 6.5);  // one second, then three quiet polling passes of two
  EXPECT_LT(took, 9.0);
  rig.ExpectCleanEnd(true);
  EXPECT_EQ(rig.simulator.Stats().requests, 1);
  EXPECT_EQ(rig.control.NumberOfScans(), 0);  // an empty transfer holds no record
}

}  // namespace
}  // namespace travimo::testing
