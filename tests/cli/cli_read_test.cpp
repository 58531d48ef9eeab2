// `read` against the simulator run by the test itself (the tool reads it
// through --device): the property file, a silent instrument and Ctrl-C.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

class CliReadSimulated : public SimulatedReadTest {};

TEST_F(CliReadSimulated, PropertiesAreLoadedBeforeAndSavedAfter) {
  Start({});
  const std::string props = dir_.File("travimo.json");
  CliRun run = RunCli(Read(
      {"--props", props, "--data", "temperature", "--units", "fahrenheit", "--format", "json"}));
  ASSERT_EQ(run.status, 0) << run.err;
  const json saved = json::parse(ReadBytes(props));
  EXPECT_EQ(saved["ScanDataType"], 1);
  EXPECT_EQ(saved["Temp_Units"], 1);
  EXPECT_EQ(saved["TravimoCli.Device"], simulator_->SlavePath());

  // The second read takes its settings, and its device, from the file alone.
  run = RunCli({"read", "--props", props, "--format", "json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json doc = json::parse(run.out);
  EXPECT_EQ(doc["dataType"], "Temperature");
  EXPECT_EQ(doc["tempUnits"], "Fahrenheit");
  EXPECT_EQ(simulator_->Stats().requests, 2);
  EXPECT_EQ(simulator_->Stats().lastDataType, 1);

  // A port number given instead makes the file forget the device.
  run = RunCli({"read", "--props", props, "--port", "250"});
  EXPECT_EQ(run.status, 6);
  EXPECT_FALSE(json::parse(ReadBytes(props)).contains("TravimoCli.Device"));
}

TEST_F(CliReadSimulated, SilentInstrumentGetsTheUsualCauses) {
  sim::Script silent;
  silent.silent = true;
  Start(silent);
  const CliRun run = RunCli(Read({"--data", "temperature"}));
  EXPECT_EQ(run.status, 3) << run.err;
  const std::string from = "Nothing arrived from " + simulator_->SlavePath() + " in ";
  for (const char* told : {"error 1 (ComportReadError)", from.c_str(),
                           "after sending \"D\" and the byte 1 (a request for temperature scans)",
                           "cable", "line settings (9600,n,8,1 here", "instrument not sending"}) {
    EXPECT_THAT(run.err, HasSubstr(told));
  }
}

// Ctrl-C, and a hang-up of the terminal as SIGTERM.
TEST_F(CliReadSimulated, CtrlCAndHangUpCancelTheTransfer) {
  sim::Script silent;
  silent.silent = true;
  Start(silent);
  for (const int signal : {SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    CliRunOptions options;
    options.signals = {{std::chrono::milliseconds(1500), signal}};
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = RunCli(Read({}), options);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.status, 10) << run.err;
    EXPECT_THAT(run.err, HasSubstr("9999 (UserCancel): User Cancel"));
    // Without the cancel the silent read would run three polling passes, 7 s in all.
    EXPECT_LT(took, std::chrono::milliseconds(6500));
  }
}

}  // namespace
}  // namespace travimo::testing
