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

namespace travimo::testing {
namespace {

using ::testing::IsEmpty;

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
  std::ifstream in(raw, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), sent);  // every byte unchanged
  std::filesystem::remove(raw);

  PtyRig reference{sim::Script{}};
  reference.control.DecodeTransfer(sent);
  EXPECT_EQ(reference.Scans().size(), 4u);
  EXPECT_EQ(rig.Scans(), reference.Scans());
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

}  // namespace
}  // namespace travimo::testing
