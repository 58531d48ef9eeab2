// `read` against the simulator run by the test itself (the tool reads it
// through --device) and `demo`: outputs and the property file checked before
// the instrument is asked, received bytes kept when an output fails afterwards
// or a second signal stops the read, the raw-data file with its settings
// sidecar, the property file, a silent instrument and Ctrl-C.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "rawdata/sha256.h"
#include "sim/simulator.h"
#include "support/scratch_device.h"

namespace travimo::testing {
namespace {

namespace fs = std::filesystem;
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
  CliRunOptions WithState() const {
    CliRunOptions options;
    options.environment = {"XDG_STATE_HOME=" + dir_.File("state")};
    return options;
  }
  std::vector<std::string> RecoveryFiles() const { return KeptForRecovery(dir_.File("state")); }

  TempDir dir_;
  std::unique_ptr<sim::Simulator> simulator_;
};

TEST_F(CliRead, UnusableFilesStopTheReadBeforeTheInstrumentIsAsked) {
  Start();
  fs::create_directory(dir_.File("sub"));
  fs::create_directory(dir_.File("plot.svg"));
  ASSERT_EQ(mkfifo(dir_.File("fifo").c_str(), 0600), 0);
  const std::string broken = dir_.File("broken.json");
  WriteBytes(broken, "{ not json");
  const auto read = [&](const char* option, const std::string& file) {
    return Refusal{Read({option, file}), 9, {file}};
  };
  CliRunOptions options;
  options.timeout = std::chrono::seconds(10);  // a FIFO must not block
  ExpectRefusals(
      {read("-o", "/nonexistent/out.csv"),
       read("--plot", dir_.File("plot.svg")),
       read("--props", dir_.File("fifo")),
       read("--raw", dir_.File("sub")),
       read("-o", dir_.File("fifo")),
       read("--raw", dir_.File("missing/raw.dat")),
       {Read({"--props", broken}), 9, {"broken.json\": not valid JSON (line 1, column "}}},
      options);
  EXPECT_EQ(simulator_->Stats().requests, 0);
  EXPECT_EQ(ReadBytes(broken), "{ not json");  // nor was the file overwritten

  // A character device is written as it is.
  const std::string null = ScratchNullDevice(dir_.File(""));
  ASSERT_FALSE(null.empty()) << "the test needs root to make a device node";
  const CliRun run = RunCli(Read({"-o", null, "--format", "csv"}));
  EXPECT_EQ(run.status, 0) << run.err;
  struct stat info {};
  ASSERT_EQ(stat(null.c_str(), &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(CliRead, AnOutputThatFailsAfterTheReadStillDelivers) {
  const std::string full = dir_.File("full");
  fs::create_directory(full);
  if (geteuid() != 0 || mount("tmpfs", full.c_str(), "tmpfs", 0, "size=16k") != 0)
    GTEST_SKIP() << "a full file system needs root";
  WriteBytes(full + "/filler", std::string(8 * 4096, 'f'));  // as much as fits
  Start();
  const std::string expected = DefaultLorvexTransfer();

  // The raw-data file cannot be written: the records still come out.
  CliRun run = RunCli(Read({"--raw", full + "/raw.dat", "--format", "csv", "-o",
                            dir_.File("out.csv"), "--plot", dir_.File("plot.svg")}),
                      WithState());
  EXPECT_EQ(run.status, 9) << run.err;
  EXPECT_THAT(run.err, HasSubstr("raw.dat"));
  EXPECT_EQ(ReadBack("csv", dir_.File("out.csv")).size(), 1 + 3 * 512u);
  EXPECT_TRUE(fs::exists(dir_.File("plot.svg")));
  auto kept = RecoveryFiles();
  ASSERT_EQ(kept.size(), 1u) << run.err;
  EXPECT_EQ(ReadBytes(kept[0]), expected);
  EXPECT_THAT(run.err, HasSubstr(kept[0]));
  EXPECT_EQ(json::parse(ReadBytes(kept[0] + ".json"))["bytes"], expected.size());

  // The results cannot be written: the plot still is, and the bytes are kept.
  run = RunCli(Read({"-o", full + "/out.csv", "--plot", dir_.File("plot2.svg")}), WithState());
  EXPECT_EQ(run.status, 9) << run.err;
  EXPECT_TRUE(fs::exists(dir_.File("plot2.svg")));
  kept = RecoveryFiles();
  ASSERT_EQ(kept.size(), 2u) << run.err;
  EXPECT_EQ(ReadBytes(kept[1]), expected);
  umount2(full.c_str(), MNT_DETACH);
}

TEST_F(CliRead, ASecondSignalStopsAtOnceAndKeepsWhatArrived) {
  sim::Script slow;
  slow.burstSize = 64;
  slow.burstPause = 0.2;  // the whole transfer would take about 10 s
  Start(slow);
  CliRunOptions options = WithState();
  options.signals = {{std::chrono::milliseconds(2500), SIGTERM},
                     {std::chrono::milliseconds(3000), SIGTERM}};
  const auto start = std::chrono::steady_clock::now();
  const CliRun run = RunCli(Read({}), options);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4500));
  EXPECT_EQ(run.status, 10) << run.err;
  EXPECT_THAT(run.err, HasSubstr("stopped at once"));
  const auto kept = RecoveryFiles();
  ASSERT_EQ(kept.size(), 1u) << run.err;
  const std::string bytes = ReadBytes(kept[0]);
  EXPECT_FALSE(bytes.empty());
  EXPECT_EQ(DefaultLorvexTransfer().rfind(bytes, 0), 0u) << "a beginning of the transfer";
}

// The raw-data file (the default name for an empty --raw) holds exactly the
// bytes received, however long the file it replaces; its sidecar carries the
// read's settings to a later parse while it still describes those bytes, and
// the property file carries them, with the device, to the next read.
TEST_F(CliRead, TheRawDataAndPropertyFilesKeepTheReadsSettings) {
  Start();
  const std::string raw = dir_.File("RawData.dat"), props = dir_.File("travimo.json");
  WriteBytes(raw, std::string(20000, 'x'));
  CliRunOptions here;
  here.workingDirectory = dir_.File("");
  CliRun read = RunCli(Read({"--raw", "", "--props", props, "--data", "temperature", "--units",
                             "fahrenheit", "--format", "json"}),
                       here);
  ASSERT_EQ(read.status, 0) << read.err;
  const std::string bytes = ReadBytes(raw);
  EXPECT_EQ(bytes, DefaultLorvexTransfer(1));
  const json sidecar = json::parse(ReadBytes(raw + ".json"));
  const json expected = {{"TravimoType", 1},
                         {"ScanDataType", 1},
                         {"Temp_Units", 1},
                         {"NumberOfPoints", 512},
                         {"bytes", bytes.size()},
                         {"sha256", Sha256Hex(bytes)},
                         {"device", simulator_->SlavePath()}};
  for (const auto& [key, value] : expected.items()) EXPECT_EQ(sidecar[key], value) << key;

  CliRun parsed = RunCli({"parse", raw, "--format", "json"});
  ASSERT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_THAT(parsed.err, HasSubstr("RawData.dat.json"));
  EXPECT_EQ(json::parse(parsed.out)["records"], json::parse(read.out)["records"]);
  EXPECT_EQ(json::parse(parsed.out)["tempUnits"], "Fahrenheit");
  parsed = RunCli({"parse", raw, "--format", "json", "--units", "celsius"});
  EXPECT_EQ(json::parse(parsed.out)["tempUnits"], "Celsius") << "an explicit option wins";
  WriteBytes(raw, bytes + "x");
  parsed = RunCli({"parse", raw, "--format", "json"});
  EXPECT_THAT(parsed.err, HasSubstr("not applied"));
  EXPECT_EQ(json::parse(parsed.out)["dataType"], "Moisture");

  const json saved = json::parse(ReadBytes(props));
  EXPECT_EQ(saved["ScanDataType"], 1);
  EXPECT_EQ(saved["Temp_Units"], 1);
  EXPECT_EQ(saved["TravimoCli.Device"], simulator_->SlavePath());
  read = RunCli({"read", "--props", props, "--format", "json"}, here);
  ASSERT_EQ(read.status, 0) << read.err;
  const json doc = json::parse(read.out);
  EXPECT_EQ(doc["dataType"], "Temperature");
  EXPECT_EQ(doc["tempUnits"], "Fahrenheit");
  EXPECT_EQ(simulator_->Stats().requests, 2);
  EXPECT_EQ(simulator_->Stats().lastDataType, 1);
  // A port number given instead makes the file forget the device.
  EXPECT_EQ(RunCli({"read", "--props", props, "--port", "250"}, here).status, 6);
  EXPECT_FALSE(json::parse(ReadBytes(props)).contains("TravimoCli.Device"));
}

// Without a cancel the silent read would run three polling passes, 7 s in all.
TEST_F(CliRead, ASilentInstrumentIsExplainedAndCtrlCOrAHangUpCancelsTheRead) {
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
  for (const int signal : {SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    CliRunOptions options;
    options.signals = {{std::chrono::milliseconds(1500), signal}};
    const auto start = std::chrono::steady_clock::now();
    const CliRun cancelled = RunCli(Read({}), options);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(6500));
    EXPECT_EQ(cancelled.status, 10) << cancelled.err;
    EXPECT_THAT(cancelled.err, HasSubstr("9999 (UserCancel): User Cancel"));
  }
}

struct Example {
  std::string type;
  std::string file;
  std::string instrument;
  std::vector<std::string> told;  // captions the read went through, and its trace
  json firstRecord;               // a part of it
};

// clang-format off
const std::vector<Example> kExamples = {
    {"lorvex", "lorvex-3-scans.dat", "Lorvex",
     {"Reading!", "Done", "open COM1 settings 9600,n,8,1", "write 2 bytes", "|D.|"},
     {{"TypeLetter", "A"}, {"ScanNumber", 1}}},
    {"ostrel", "ostrel-3-measurements.dat", "Ostrel", {"Waiting!"},
     {{"DateTime", "2026-11-20T08:15:00"}, {"MeasurementNumber", 1}}},
    {"brevane", "brevane-3-measurements.dat", "Brevane", {"Waiting!"},
     {{"IDCode", sim::SampleBrevaneMeasurements(1, 512)[0].idCode}, {"SamplingRate", 2.5}}},
};
// clang-format on

// `demo` end to end: the simulator on a pseudo-terminal, the real serial
// backend, the control's read cycle and the records the tool prints. The
// sample raw-data files in examples/ are what `travimo demo --type TYPE --raw
// FILE` saves, kept as data: the bytes must stay the same and `parse` must go
// on reading them as the read did.
TEST(CliDemo, EachInstrumentDeliversTheBytesAndRecordsOfItsExampleFile) {
  const TempDir dir;
  for (const auto& example : kExamples) {
    SCOPED_TRACE(example.type);
    const std::string file = TRAVIMO_SOURCE_DIR "/examples/" + example.file;
    const CliRun demo = RunCli({"demo", "--type", example.type, "--format", "json", "--raw",
                                dir.File("raw.dat"), "--trace", "-"});
    ASSERT_EQ(demo.status, 0) << demo.err;
    for (const auto& text : example.told) EXPECT_THAT(demo.err, HasSubstr(text));
    EXPECT_THAT(demo.err, HasSubstr("close /dev/"));
    EXPECT_EQ(ReadBytes(dir.File("raw.dat")), ReadBytes(file));
    const CliRun parsed = RunCli({"parse", file, "--format", "json"});
    ASSERT_EQ(parsed.status, 0) << parsed.err;
    const json shown = json::parse(demo.out);
    const json kept = json::parse(parsed.out);
    EXPECT_EQ(kept["instrument"], example.instrument);
    ASSERT_EQ(kept["count"], 3);
    EXPECT_EQ(shown["records"], kept["records"]);
    for (const auto& [key, value] : example.firstRecord.items()) {
      EXPECT_EQ(kept["records"][0][key], value) << key;
    }
    EXPECT_EQ(kept["records"][2]["ScanData"]["values"].size(), 512u);
    if (example.type == "lorvex") {  // the simulator's own samples
      EXPECT_EQ(kept["records"][1]["ScanData"]["values"][511], sim::SampleLorvexValue(1, 0, 511));
    }
    const json& meta = shown["metadata"];
    EXPECT_EQ(meta["device"].get<std::string>().rfind("/dev/", 0), 0u) << meta;
    EXPECT_EQ(meta["readTime"].get<std::string>().size(), 24u) << meta;
    EXPECT_EQ(meta["settings"].empty(), example.type != "lorvex") << meta;
  }
}

}  // namespace
}  // namespace travimo::testing
