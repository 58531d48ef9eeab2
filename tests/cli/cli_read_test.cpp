// `read` against a real serial device: a missing one, the simulator run by the
// test itself (the tool reads it through --device), the property file and Ctrl-C.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

using nlohmann::json;

TEST(CliRead, MissingDeviceIsAComportErrorNamingTheDevice) {
  const CliRun byPath = RunCli({"read", "--device", "/dev/travimo-no-such-port"});
  EXPECT_EQ(byPath.status, 6);
  EXPECT_NE(byPath.err.find("8002 (ComportError)"), std::string::npos) << byPath.err;
  EXPECT_NE(byPath.err.find("Cannot open /dev/travimo-no-such-port: No such"), std::string::npos)
      << byPath.err;  // named by its path, not by a port number
  EXPECT_NE(byPath.err.find("travimo ports lists"), std::string::npos) << byPath.err;
  EXPECT_TRUE(byPath.out.empty());

  // Port 250 is /dev/ttyS249, which no machine has.
  const CliRun byPort = RunCli({"read", "--port", "250"});
  EXPECT_EQ(byPort.status, 6);
  EXPECT_NE(byPort.err.find("/dev/ttyS249"), std::string::npos) << byPort.err;

  // Adapter names that match nothing present, or are malformed, are named with the next step.
  for (const char* alias : {"usb:fffe:fffd", "usb:fffe:fffd:NOPE", "serial-number:travimo-none",
                            "usb:12:34", "serial-number:"}) {
    const CliRun run = RunCli({"read", "--device", alias});
    EXPECT_EQ(run.status, 6) << alias;
    EXPECT_NE(run.err.find(std::string("8002 (ComportError): Cannot open ") + alias + ":"),
              std::string::npos)
        << run.err;
  }
}

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
  EXPECT_EQ(simulator_->Stats().lastDataType, 1);

  EXPECT_EQ(saved["TravimoCli.Device"], simulator_->SlavePath());

  // The second read takes its settings, and its device, from the file alone.
  run = RunCli({"read", "--props", props, "--format", "json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json doc = json::parse(run.out);
  EXPECT_EQ(doc["dataType"], "Temperature");
  EXPECT_EQ(doc["tempUnits"], "Fahrenheit");
  EXPECT_EQ(simulator_->Stats().requests, 2);
  EXPECT_EQ(simulator_->Stats().lastDataType, 1);
  const float raw = sim::SampleLorvexValue(0, 1, 0);
  EXPECT_FLOAT_EQ(doc["records"][0]["ScanData"]["values"][0].get<float>(),
                  static_cast<float>(raw / 10.0f * 1.8 + 32));

  // A port number given instead makes the file forget the device.
  run = RunCli({"read", "--props", props, "--port", "250"});
  EXPECT_EQ(run.status, 6);
  EXPECT_FALSE(json::parse(ReadBytes(props)).contains("TravimoCli.Device"));
}

TEST_F(CliReadSimulated, RawFileHoldsExactlyTheReceivedBytes) {
  Start({});
  const std::string raw = dir_.File("RawData.dat");
  WriteBytes(raw, std::string(20000, 'x'));  // a longer old file leaves no tail
  const CliRun run = RunCli(Read({"--raw", raw, "--format", "csv"}));
  ASSERT_EQ(run.status, 0) << run.err;
  sim::TransferRequest request;
  request.scans = 3;
  request.points = 512;
  EXPECT_EQ(ReadBytes(raw), sim::DefaultTransfer(request));

  // And parsing the file offline gives what the read printed.
  const CliRun parsed = RunCli({"parse", raw, "--format", "csv"});
  ASSERT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_EQ(parsed.out, run.out);
}

TEST_F(CliReadSimulated, UnreadablePropertyFileIsAFileError) {
  Start({});
  const std::string props = dir_.File("broken.json");
  WriteBytes(props, "{ not json");
  const CliRun run = RunCli(Read({"--props", props}));
  EXPECT_EQ(run.status, 9);
  EXPECT_NE(run.err.find("broken.json\": not valid JSON (line 1, column "), std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("json.exception"), std::string::npos) << run.err;
  EXPECT_EQ(simulator_->Stats().requests, 0);  // no read was started
  EXPECT_EQ(ReadBytes(props), "{ not json");   // nor was the file overwritten
}

TEST_F(CliReadSimulated, SilentInstrumentGetsTheUsualCauses) {
  sim::Script silent;
  silent.silent = true;
  Start(silent);
  const CliRun run = RunCli(Read({"--data", "temperature"}));
  EXPECT_EQ(run.status, 3) << run.err;
  for (const std::string& told : std::vector<std::string>{
           "error 1 (ComportReadError)", "Nothing arrived from " + simulator_->SlavePath() + " in ",
        "after sending \"D\" and the byte 1 (a request for temperature scans)", "cable",
        "line settings (9600,n,8,1 here", "instrument not sending"}) {
    EXPECT_NE(run.err.find(told), std::string::npos) << told << " not in\n" << run.err;
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
    EXPECT_NE(run.err.find("9999 (UserCancel): User Cancel"), std::string::npos) << run.err;
    // Without the cancel the silent read would run three polling passes, 7 s in all.
    EXPECT_LT(took, std::chrono::milliseconds(6500));
  }
}

}  // namespace
}  // namespace travimo::testing
