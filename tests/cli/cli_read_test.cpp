// `read` against the simulator run by the test itself (the tool reads it
// through --device): outputs and the property file checked before the
// instrument is asked, received bytes kept when an output fails afterwards or
// a second signal stops the read, the raw-data file with its settings sidecar,
// the property file, a silent instrument and Ctrl-C.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "sim/simulator.h"
#include "support/scratch_dir.h"

namespace travimo::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using nlohmann::json;
using ::testing::HasSubstr;

std::string DefaultLorvexTransfer(int dataType = 0) {
  return sim::DefaultTransfer({.dataType = dataType, .scans = 3, .points = 512});
}

// Reads a simulated instrument through the tool; what a read keeps for
// recovery goes to a state directory of the test's own.
class CliRead : public ::testing::Test {
 protected:
  void Start(sim::Script script = {}) {
    simulator_ = std::make_unique<sim::Simulator>(script);
    simulator_->Start();
  }
  std::vector<std::string> Read(std::vector<std::string> extra) const {
    extra.insert(extra.begin(), {"read", "--device", simulator_->SlavePath()});
    return extra;
  }
  CliRunOptions WithState(CliRunOptions options = {}) const {
    options.environment = {"XDG_STATE_HOME=" + dir_ / "state"};
    return options;
  }
  std::vector<std::string> RecoveryFiles() const { return KeptForRecovery(dir_ / "state"); }

  ScratchDir dir_;
  std::unique_ptr<sim::Simulator> simulator_;
};

TEST_F(CliRead, UnusableFilesStopTheReadBeforeTheInstrumentIsAsked) {
  Start();
  fs::create_directory(dir_ / "sub");
  fs::create_directory(dir_ / "plot.svg");
  ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  const std::string broken = dir_ / "broken.json";
  WriteBytes(broken, "{ not json");
  const auto read = [&](const char* option, const std::string& file) {
    return Refusal{Read({option, file}), 9, {file}};
  };
  const std::string invalid = "broken.json\": not valid JSON (line 1, column ";
  ExpectRefusals({read("-o", "/nonexistent/out.csv"), read("--plot", dir_ / "plot.svg"),
                  read("--props", dir_ / "fifo"), read("--raw", dir_ / "sub"),
                  read("-o", dir_ / "fifo"), read("--raw", dir_ / "missing/raw.dat"),
                  {Read({"--props", broken}), 9, {invalid}}});
  EXPECT_EQ(simulator_->Stats().requests, 0);
  EXPECT_EQ(ContentOf(broken), "{ not json");  // nor was the file overwritten

  // A character device is written as it is.
  const std::string null = ScratchNullDevice(dir_.Path());
  ASSERT_FALSE(null.empty()) << "the test needs root to make a device node";
  Succeeds(Read({"-o", null, "--format", "csv"}));
  struct stat info {};
  ASSERT_EQ(stat(null.c_str(), &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(CliRead, AnOutputThatFailsAfterTheReadStillDelivers) {
  const std::string full = dir_ / "full";
  fs::create_directory(full);
  if (geteuid() != 0 || mount("tmpfs", full.c_str(), "tmpfs", 0, "size=16k") != 0)
    GTEST_SKIP() << "a full file system needs root";
  WriteBytes(full + "/filler", std::string(8 * 4096, 'f'));  // as much as fits
  Start();
  const std::string expected = DefaultLorvexTransfer();

  // The raw-data file cannot be written: the records still come out.
  CliRun run = RunCli(Read({"--raw", full + "/raw.dat", "--format", "csv", "-o",
                            dir_ / "out.csv", "--plot", dir_ / "plot.svg"}),
                      WithState());
  EXPECT_EQ(run.status, 9) << run.err;
  EXPECT_EQ(ReadBack("csv", dir_ / "out.csv").size(), 1 + 3 * 512u);
  EXPECT_TRUE(fs::exists(dir_ / "plot.svg"));
  auto kept = RecoveryFiles();
  ASSERT_EQ(kept.size(), 1u) << run.err;
  EXPECT_EQ(ContentOf(kept[0]), expected);
  ExpectHas(run.err, {"raw.dat", kept[0]});
  EXPECT_EQ(json::parse(ContentOf(kept[0] + ".json"))["bytes"], expected.size());

  // The results cannot be written: the plot still is, and the bytes are kept.
  run = RunCli(Read({"-o", full + "/out.csv", "--plot", dir_ / "plot2.svg"}), WithState());
  EXPECT_EQ(run.status, 9) << run.err;
  EXPECT_TRUE(fs::exists(dir_ / "plot2.svg"));
  kept = RecoveryFiles();
  ASSERT_EQ(kept.size(), 2u) << run.err;
  EXPECT_EQ(ContentOf(kept[1]), expected);
  umount2(full.c_str(), MNT_DETACH);
}

// The raw-data file (the default name for an empty --raw) holds exactly the
// bytes received, however long the file it replaces; its sidecar carries the
// read's settings to a later parse while it still describes those bytes, and
// the property file carries them, with the device, to the next read.
TEST_F(CliRead, TheRawDataAndPropertyFilesKeepTheReadsSettings) {
  Start();
  const std::string raw = dir_ / "RawData.dat", props = dir_ / "travimo.json";
  WriteBytes(raw, std::string(20000, 'x'));
  const CliRunOptions here{.workingDirectory = dir_.Path()};
  CliRun read = Succeeds(Read({"--raw", "", "--props", props, "--data", "temperature",
                               "--units", "fahrenheit", "--format", "json"}),
                         here);
  const std::string bytes = ContentOf(raw);
  EXPECT_EQ(bytes, DefaultLorvexTransfer(1));
  // The data type, units and digest in the sidecar show in the parses below.
  const json sidecar = json::parse(ContentOf(raw + ".json"));
  EXPECT_EQ(sidecar["TravimoType"], 1);
  EXPECT_EQ(sidecar["NumberOfPoints"], 512);
  EXPECT_EQ(sidecar["device"], simulator_->SlavePath());
  CliRun parsed = Succeeds({"parse", raw, "--format", "json"});
  EXPECT_THAT(parsed.err, HasSubstr("RawData.dat.json"));
  EXPECT_EQ(json::parse(parsed.out)["records"], json::parse(read.out)["records"]);
  EXPECT_EQ(json::parse(parsed.out)["tempUnits"], "Fahrenheit");
  parsed = RunCli({"parse", raw, "--format", "json", "--units", "celsius"});
  EXPECT_EQ(json::parse(parsed.out)["tempUnits"], "Celsius") << "an explicit option wins";
  WriteBytes(raw, bytes + "x");
  parsed = RunCli({"parse", raw, "--format", "json"});
  EXPECT_THAT(parsed.err, HasSubstr("not applied"));
  EXPECT_EQ(json::parse(parsed.out)["dataType"], "Moisture");

  // The property file alone names the device and the settings.
  read = Succeeds({"read", "--props", props, "--format", "json"}, here);
  const json doc = json::parse(read.out);
  EXPECT_EQ(doc["dataType"], "Temperature");
  EXPECT_EQ(doc["tempUnits"], "Fahrenheit");
  EXPECT_EQ(simulator_->Stats().requests, 2);
  EXPECT_EQ(simulator_->Stats().lastDataType, 1);
  // A port number given instead makes the file forget the device.
  EXPECT_EQ(RunCli({"read", "--props", props, "--port", "250"}, here).status, 6);
  EXPECT_FALSE(json::parse(ContentOf(props)).contains("TravimoCli.Device"));
}

// A silent instrument is explained, and Ctrl-C or a hang-up cancels its read
// (three polling passes, 7 s in all); a second signal stops a slow read at
// once, keeping what arrived.
TEST_F(CliRead, SilenceAndSignalsEndTheReadSayingWhy) {
  // The slow transfer would take about 10 s.
  const sim::Script silent{.silent = true}, slow{.burstSize = 64, .burstPause = 0.2};
  const std::vector<std::string> cancelled = {"9999 (UserCancel): User Cancel"};
  const struct {
    const char* name;
    const sim::Script& script;
    std::vector<TimedSignal> signals;
    std::chrono::milliseconds within;
    int status;
    std::vector<std::string> told;
  } cases[] = {
      {"silence", silent, {}, 30s, 3,
       {"error 1 (ComportReadError)", "cable", "line settings (9600,n,8,1 here",
        "after sending \"D\" and the byte 1 (a request for temperature scans)",
        "instrument not sending"}},
      {"Ctrl-C", silent, {{1500ms, SIGINT}}, 6500ms, 10, cancelled},
      {"hang-up", silent, {{1500ms, SIGHUP}}, 6500ms, 10, cancelled},
      {"second signal", slow, {{2500ms, SIGTERM}, {3000ms, SIGTERM}}, 4500ms, 10,
       {"stopped at once"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.script);
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = RunCli(Read({"--data", "temperature"}), WithState({.signals = c.signals}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, c.within);
    EXPECT_EQ(run.status, c.status) << run.err;
    ExpectHas(run.err, c.told);
    if (c.signals.empty()) {
      EXPECT_THAT(run.err, HasSubstr("Nothing arrived from " + simulator_->SlavePath() + " in "));
    }
    if (c.script.silent) continue;
    const auto kept = RecoveryFiles();
    ASSERT_EQ(kept.size(), 1u) << run.err;
    const std::string bytes = ContentOf(kept[0]);
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(DefaultLorvexTransfer(1).rfind(bytes, 0), 0u) << "a beginning of the transfer";
  }
}

}  // namespace
}  // namespace travimo::testing
