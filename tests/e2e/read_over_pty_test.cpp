// Whole reads over a pseudo-terminal: the simulator, the POSIX platform and
// the control. Each read takes a few seconds of real time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "e2e/pty_rig.h"
#include "model/enums.h"
#include "platform/ms_comm.h"
#include "support/memory_file_system.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace travimo::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The scans a control makes of a text when it decodes it without a port.
std::vector<SingleArray> DecodedScans(const std::string& text, int32_t& numberOfScans) {
  RecordingContainer container;
  VirtualHost host;
  ScriptedSerial serial(host);
  MemoryFileSystem files;
  Travimo control(ControlSite{container, host, files, serial});
  control.InitProperties();
  control.DecodeTransfer(text);
  numberOfScans = control.NumberOfScans();
  std::vector<SingleArray> scans;
  for (int32_t scan = 1; scan <= numberOfScans; ++scan) {
    control.ScanNumber(scan);
    scans.push_back(control.OneScanDataArray());
  }
  return scans;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ReadOverPty, LorvexScansArriveWhole) {
  sim::Script script;
  script.scans = 4;
  script.burstSize = 700;
  script.burstPause = 0.05;
  PtyRig rig(script);
  const auto raw = std::filesystem::temp_directory_path() /
                   ("travimo-e2e-raw-" + std::to_string(::getpid()) + ".dat");
  rig.control.SaveRawData(true);
  rig.control.OutPutFileName(raw.string());

  const double took = rig.Read();

  EXPECT_THAT(rig.container.ErrorNumbers(), IsEmpty());
  EXPECT_LT(took, 5.0);
  const std::string sent = sim::DefaultTransfer({sim::Mode::Lorvex, Moisture, 4, 512, true});
  EXPECT_EQ(ReadFile(raw), sent);  // every byte through the pty unchanged
  std::filesystem::remove(raw);

  int32_t expectedScans = 0;
  const auto expected = DecodedScans(sent, expectedScans);
  EXPECT_EQ(expectedScans, 4);
  ASSERT_EQ(rig.control.NumberOfScans(), expectedScans);
  for (int32_t scan = 1; scan <= expectedScans; ++scan) {
    rig.control.ScanNumber(scan);
    EXPECT_EQ(rig.control.OneScanDataArray(), expected[scan - 1]) << "scan " << scan;
  }
  const auto stats = rig.simulator.Stats();
  EXPECT_EQ(stats.requests, 1);
  EXPECT_EQ(stats.lastDataType, Moisture);
  EXPECT_FALSE(rig.control.MSComm1().PortOpen());
  EXPECT_EQ(rig.control.Caption(), "Reading");
}

TEST(ReadOverPty, OstrelSendsUnpromptedAfterThePortOpens) {
  sim::Script script;
  script.mode = sim::Mode::Ostrel;
  script.scans = 2;
  script.points = 20;
  script.firstByteDelay = 0.3;
  PtyRig rig(script);
  rig.control.TravimoType(Ostrel);

  const double took = rig.Read();

  EXPECT_THAT(rig.container.ErrorNumbers(), IsEmpty());
  EXPECT_LT(took, 5.0);  // the "E" ends the wait long before its 30 seconds
  EXPECT_NE(rig.control.OstrelData(), nullptr);
  EXPECT_EQ(rig.simulator.Stats().requests, 0);
}

TEST(ReadOverPty, HangUpMidTransferIsAReadFailure) {
  sim::Script script;
  script.scans = 3;
  script.hangUpAfter = 1500;
  PtyRig rig(script);

  const double took = rig.Read();

  EXPECT_THAT(rig.container.ErrorNumbers(), ElementsAre(CommError::ReadFailed));
  EXPECT_LT(took, 5.0);
  EXPECT_FALSE(rig.control.MSComm1().PortOpen());
  EXPECT_TRUE(rig.control.fraButton().Enabled());
  EXPECT_TRUE(rig.simulator.Stats().hungUp);
}

TEST(ReadOverPty, MissingDeviceIsAComportError) {
  PtyRig rig(sim::Script{}, "/nonexistent/travimo-port");
  const double took = rig.Read();
  EXPECT_THAT(rig.container.ErrorNumbers(), ElementsAre(ComportError));
  EXPECT_LT(took, 1.0);
  EXPECT_FALSE(rig.control.MSComm1().PortOpen());
  EXPECT_TRUE(rig.control.fraButton().Enabled());
}

}  // namespace
}  // namespace travimo::testing
