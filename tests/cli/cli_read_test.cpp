// `read` and `demo` against the simulator run by the test itself (the tool
// reads it through --device): outputs and the property file checked before the
// instrument is asked, received bytes kept when an output fails afterwards or
// a second signal stops the read, the raw-data file with its settings sidecar,
// the property file, a silent instrument and Ctrl-C; the reads kept in the
// archive, files brought in and taken out, and a broken archive that never
// costs the read.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "rawdata/sha256.h"
#include "sim/brevane_encoder.h"
#include "sim/lorvex_encoder.h"
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

// Each test has an archive of its own, named on every run that must succeed.
class CliArchive : public ::testing::Test {
 protected:
  CliRun Run(std::vector<std::string> args) const {
    args.insert(args.end(), {"--archive", archive_});
    return Succeeds(args);
  }
  const ScratchDir dir_;
  const std::string archive_ = dir_ / "a.sqlite";
};

struct Example {
  std::string type;
  std::string file;
  std::vector<std::string> told;  // captions the read went through, and its trace
};

const Example kExamples[] = {
    {"brevane", "brevane-3-measurements.dat", {"Waiting!", "close /dev/"}},
    {"ostrel", "ostrel-3-measurements.dat", {"Waiting!", "close /dev/"}},
    {"lorvex", "lorvex-3-scans.dat",
     {"Reading!", "Done", "open COM1 settings 9600,n,8,1", "write 2 bytes", "|D.|", "close /dev/"}},
};

// `demo` end to end: the simulator on a pseudo-terminal, the real serial
// backend, the control's read cycle and the records the tool prints. The
// sample raw-data files in examples/ are what `travimo demo --type TYPE --raw
// FILE` saves, kept as data: the bytes must stay the same and `parse` must go
// on reading them as the read did (what the records hold is the parsers' own
// to check). Each read is kept in the archive as it was printed, and its bytes
// exactly: decoded again they give its records, and with other settings a new
// entry that names the read.
TEST_F(CliArchive, EachDemoDeliversItsExampleFileAndIsKept) {
  std::string lorvex;  // as printed
  for (int read = 1; const auto& example : kExamples) {
    SCOPED_TRACE(example.type);
    const std::string file = TRAVIMO_SOURCE_DIR "/examples/" + example.file;
    const CliRun demo = Run({"demo", "--type", example.type, "--format", "json", "--raw",
                             dir_ / "raw.dat", "--trace", "-"});
    ExpectHas(demo.err, example.told);
    EXPECT_EQ(ContentOf(dir_ / "raw.dat"), ContentOf(file));
    const CliRun parsed = Succeeds({"parse", file, "--format", "json"});
    const json shown = json::parse(demo.out);
    const json kept = json::parse(parsed.out);
    ASSERT_EQ(kept["count"], 3);
    EXPECT_EQ(shown["records"], kept["records"]);
    if (example.type == "lorvex") lorvex = demo.out;
    const json& meta = shown["metadata"];
    EXPECT_EQ(meta["device"].get<std::string>().rfind("/dev/", 0), 0u) << meta;
    EXPECT_EQ(meta["readTime"].get<std::string>().size(), 24u) << meta;
    EXPECT_EQ(meta["settings"].empty(), example.type != "lorvex") << meta;
    EXPECT_EQ(meta["archiveEntry"], read);
    EXPECT_THAT(demo.err, HasSubstr("Archived as read " + std::to_string(read) + " in " + archive_))
        << demo.err;
    const CliRun archived = Run({"show", std::to_string(read++), "--format", "json"});
    EXPECT_EQ(json::parse(archived.out), shown);
  }
  EXPECT_EQ(Run({"reparse", "3", "--format", "json"}).out, lorvex);
  const CliRun hot = Run({"reparse", "3", "--data", "temperature", "--units", "fahrenheit",
                          "--format", "csv", "--save"});
  EXPECT_THAT(hot.err, HasSubstr("Archived as read 4 in " + archive_));
  EXPECT_NE(hot.out, Run({"show", "3", "--format", "csv"}).out);
  EXPECT_EQ(Run({"show", "4", "--format", "csv"}).out, hot.out);

  const auto history = json::parse(Run({"history", "--format", "json"}).out);
  ASSERT_EQ(history.size(), 4u);
  EXPECT_EQ(history[3]["source"], "reparse");
  EXPECT_EQ(history[3]["parent"], 3);
  EXPECT_EQ(history[3]["time"], history[2]["time"]);  // the same read, decoded anew
  const CliRun brevanes = Run({"history", "--format", "csv", "--type", "brevane"});
  ExpectHas(brevanes.out, {"\r\n1,", ",Brevane,"});
  EXPECT_THAT(brevanes.out, ::testing::Not(HasSubstr("\r\n2,")));

  Run({"archive", "check"});
  const std::string noRead = "has no read 9: see travimo history";
  ExpectRefusals(
      {{{"show", "9", "--archive", archive_}, 11, {noRead}},
       {{"reparse", "9", "--archive", archive_}, 11, {noRead}},
       {{"export", "3", "9", "-o", dir_ / "none.csv", "--archive", archive_}, 11, {noRead}},
       {{"reparse", "3", "--type", "brevane", "--archive", archive_}, 8,
        {"error 32770 (InvalidBrevaneDataError)"}}});
  EXPECT_FALSE(std::filesystem::exists(dir_ / "none.csv"));  // a missing read writes nothing
}

// A settings file of bytes as a read with --raw leaves it beside them.
std::string SidecarOf(const std::string& bytes) {
  return json{{"travimoRawDataSettings", 1}, {"TravimoType", 1},
              {"ScanDataType", 1},           {"Temp_Units", 1},
              {"device", "/dev/ttyUSB3"},    {"started", "2025-01-02T03:04:05Z"},
              {"bytes", bytes.size()},       {"sha256", Sha256Hex(bytes)}}
      .dump();
}

// Files in by parse and import, out by export: several reads in one file.
TEST_F(CliArchive, FilesComeInByParseAndImportAndGoOutTogether) {
  const std::string lorvex = sim::EncodeLorvexTransfer({{'A', {250, 260}}});
  sim::BrevaneMeasurement measurement;
  measurement.moisture = {5.5f, 6.5f};
  const std::string brevane = sim::EncodeBrevane({measurement});
  for (const auto& [file, bytes] :
       std::map<std::string, std::string>{{"l.dat", lorvex},
                                          {"b.dat", brevane},
                                          {"hot.dat", lorvex},
                                          {"hot.dat.json", SidecarOf(lorvex)},
                                          {"stale.dat", lorvex},
                                          {"stale.dat.json", SidecarOf(brevane)},
                                          {"junk.dat", "no instrument wrote this"}}) {
    WriteBytes(dir_ / file, bytes);
  }
  const CliRun parsed = Run({"parse", dir_ / "l.dat", "--format", "csv"});
  EXPECT_THAT(parsed.err, HasSubstr("Archived as read 1"));
  // A text that does not decode is still kept.
  const CliRun imported = Run({"import", dir_ / "b.dat", dir_ / "hot.dat",
                               dir_ / "stale.dat", dir_ / "junk.dat"});
  ExpectHas(imported.err, {"describes other bytes", "junk.dat as read 5, which does not decode"});

  const auto history = json::parse(Run({"history", "--format", "json"}).out);
  ASSERT_EQ(history.size(), 5u);
  const auto& hot = history[0];  // oldest first: the sidecar's time
  EXPECT_EQ(hot["number"], 3);
  EXPECT_EQ(hot["device"], "/dev/ttyUSB3");
  EXPECT_EQ(hot["time"], "2025-01-02T03:04:05Z");
  const std::vector<std::string> hotParse = {"parse", dir_ / "l.dat", "--format", "csv",
                                             "--data", "temperature", "--units", "fahrenheit"};
  EXPECT_EQ(Run({"show", "3", "--format", "csv"}).out, RunCli(hotParse).out);
  EXPECT_EQ(Run({"show", "4", "--format", "csv"}).out, parsed.out);

  Run({"export", "1", "2", "4", "-o", dir_ / "e.csv"});
  const json rows = ReadBack("csv", dir_ / "e.csv");
  std::map<std::string, int> rowsOfRead;
  for (const auto& row : rows)
    if (!row.empty()) ++rowsOfRead[row[0]];
  // A header per instrument's layout, then a row per point of each read asked for.
  const std::map<std::string, int> expected = {{"read", 2}, {"1", 512}, {"2", 2}, {"4", 512}};
  EXPECT_EQ(rowsOfRead, expected);
  EXPECT_EQ(rows.at(1).at(1), "Lorvex");

  const auto reads = json::parse(Run({"export", "2", "5", "--format", "json"}).out);
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0]["read"], 2);
  EXPECT_EQ(reads[0]["instrument"], "Brevane");
  EXPECT_EQ(reads[1]["count"], 0);
  EXPECT_NE(reads[1]["errorNumber"], 0);
}

// The read is delivered either way and its bytes go to a recovery file; only
// a named archive changes the status.
TEST_F(CliArchive, AnUnusableArchiveNeverCostsTheRead) {
  const std::string corrupt = dir_ / "corrupt.sqlite";
  WriteBytes(corrupt, std::string(4096, 'x'));
  std::filesystem::create_directories(dir_ / "home/travimo");
  WriteBytes(dir_ / "home/travimo/archive.sqlite", std::string(4096, 'x'));
  const std::vector<std::string> demo = {"demo", "--scans", "1", "--format", "csv"};
  const struct {
    std::string name;
    std::vector<std::string> archive;
    int status;
    std::string named;  // in the message
  } cases[] = {{"named", {"--archive", corrupt}, 9, corrupt},
               {"default", {}, 0, "home/travimo/archive.sqlite"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string state = dir_ / "state-" + c.name;
    std::vector<std::string> args = demo;
    args.insert(args.end(), c.archive.begin(), c.archive.end());
    const CliRun run = RunCli(args, {.environment = {"XDG_STATE_HOME=" + state,
                                                     "XDG_DATA_HOME=" + dir_ / "home"}});
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Lorvex,1,"));
    const auto kept = KeptForRecovery(state);
    ASSERT_EQ(kept.size(), 1u) << run.err;
    ExpectHas(run.err, {"not archived: error 75", c.named, kept[0]});
    const CliRun unkept = RunCli({"parse", kept[0], "--format", "csv", "--archive", corrupt});
    EXPECT_EQ(unkept.status, 9);  // nor does it cost a parse
    EXPECT_EQ(unkept.out, run.out);
  }
}

}  // namespace
}  // namespace travimo::testing
