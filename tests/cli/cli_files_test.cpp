// What a read does for the files around it: outputs checked before the
// instrument is asked, received bytes kept when an output fails afterwards,
// failures of standard output, a second signal, and the settings sidecar of
// a raw-data file.
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

std::string DefaultLorvexTransfer() {
  sim::TransferRequest request;
  request.scans = 3;
  request.points = 512;
  return sim::DefaultTransfer(request);
}

// The recovery files (not their sidecars) under a state directory.
std::vector<fs::path> RecoveryFiles(const std::string& state) {
  std::vector<fs::path> files;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(state + "/travimo", ignored))
    if (entry.path().extension() == ".dat") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

class CliFiles : public SimulatedReadTest {
 protected:
  CliRunOptions WithState() {
    CliRunOptions options;
    options.environment = {"XDG_STATE_HOME=" + State()};
    return options;
  }
  std::string State() const { return dir_.File("state"); }
};

TEST_F(CliFiles, UnwritableOutputsStopTheReadBeforeTheInstrumentIsAsked) {
  Start();
  fs::create_directory(dir_.File("sub"));
  fs::create_directory(dir_.File("plot.svg"));
  ASSERT_EQ(mkfifo(dir_.File("fifo").c_str(), 0600), 0);
  const struct {
    std::string option;
    std::string file;
  } cases[] = {
      {"-o", "/nonexistent/out.csv"}, {"--plot", dir_.File("plot.svg")},
      {"--props", dir_.File("fifo")}, {"--raw", dir_.File("sub")},
      {"-o", dir_.File("fifo")},      {"--raw", dir_.File("missing/raw.dat")},
  };
  CliRunOptions options;
  options.timeout = std::chrono::seconds(10);  // a FIFO must not block
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option + " " + c.file);
    const CliRun run = RunCli(Read({c.option, c.file}), options);
    EXPECT_EQ(run.status, 9) << run.err;
    EXPECT_NE(run.err.find(c.file), std::string::npos) << run.err;
  }
  EXPECT_EQ(simulator_->Stats().requests, 0);

  // A character device is written as it is.
  const std::string null = ScratchNullDevice(dir_.File(""));
  ASSERT_FALSE(null.empty()) << "the test needs root to make a device node";
  const CliRun run = RunCli(Read({"-o", null, "--format", "csv"}));
  EXPECT_EQ(run.status, 0) << run.err;
  struct stat info {};
  ASSERT_EQ(stat(null.c_str(), &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(CliFiles, AnOutputThatFailsAfterTheReadStillDelivers) {
  const std::string full = dir_.File("full");
  fs::create_directory(full);
  if (geteuid() != 0 || mount("tmpfs", full.c_str(), "tmpfs", 0, "size=16k") != 0)
    GTEST_SKIP() << "a full file system needs root";
  {
    std::ofstream filler(full + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    for (int i = 0; i < 8 && filler; ++i) filler.write(block.data(), block.size());
  }
  Start();
  const std::string expected = DefaultLorvexTransfer();

  // The raw-data file cannot be written: the records still come out.
  CliRun run = RunCli(Read({"--raw", full + "/raw.dat", "--format", "csv", "-o",
                            dir_.File("out.csv"), "--plot", dir_.File("plot.svg")}),
                      WithState());
  EXPECT_EQ(run.status, 9) << run.err;
  EXPECT_NE(run.err.find("raw.dat"), std::string::npos) << run.err;
  EXPECT_EQ(ParseCsv(ReadBytes(dir_.File("out.csv"))).size(), 1 + 3 * 512u);
  EXPECT_TRUE(fs::exists(dir_.File("plot.svg")));
  auto kept = RecoveryFiles(State());
  ASSERT_EQ(kept.size(), 1u) << run.err;
  EXPECT_EQ(ReadBytes(kept[0]), expected);
  EXPECT_NE(run.err.find(kept[0].string()), std::string::npos) << "the path is printed";
  EXPECT_EQ(json::parse(ReadBytes(kept[0].string() + ".json"))["bytes"], expected.size());

  // The results cannot be written: the plot still is, and the bytes are kept.
  run = RunCli(Read({"-o", full + "/out.csv", "--plot", dir_.File("plot2.svg")}), WithState());
  EXPECT_EQ(run.status, 9) << run.err;
  EXPECT_TRUE(fs::exists(dir_.File("plot2.svg")));
  kept = RecoveryFiles(State());
  ASSERT_EQ(kept.size(), 2u) << run.err;
  EXPECT_EQ(ReadBytes(kept[1]), expected);
  umount2(full.c_str(), MNT_DETACH);
}

TEST_F(CliFiles, ASecondSignalStopsAtOnceAndKeepsWhatArrived) {
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
  EXPECT_NE(run.err.find("stopped at once"), std::string::npos) << run.err;
  const auto kept = RecoveryFiles(State());
  ASSERT_EQ(kept.size(), 1u) << run.err;
  const std::string bytes = ReadBytes(kept[0]);
  EXPECT_FALSE(bytes.empty());
  EXPECT_EQ(DefaultLorvexTransfer().rfind(bytes, 0), 0u) << "a beginning of the transfer";
}

TEST(CliStdout, AFailedWriteIsStatusNineAndAClosedPipeIsQuiet) {
  TempDir dir;
  const std::string file = dir.File("t.dat");
  WriteBytes(file, DefaultLorvexTransfer());
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"parse", file}, {"describe"}, {"about"}}) {
    SCOPED_TRACE(args[0]);
    CliRunOptions full;
    full.stdoutFile = "/dev/full";
    CliRun run = RunCli(args, full);
    EXPECT_EQ(run.status, 9);
    EXPECT_NE(run.err.find("standard output"), std::string::npos) << run.err;

    CliRunOptions closed;
    closed.stdoutClosed = true;
    run = RunCli(args, closed);
    EXPECT_EQ(run.status, 128 + SIGPIPE);
    EXPECT_EQ(run.err, "");
  }
}

TEST(CliParseInput, OnlyARegularFileIsRead) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  CliRunOptions options;
  options.timeout = std::chrono::seconds(10);
  for (const std::string& file : {dir.File("fifo"), std::string("/dev/zero")}) {
    const CliRun run = RunCli({"parse", file}, options);
    EXPECT_EQ(run.status, 9) << file;
    EXPECT_NE(run.err.find(file), std::string::npos) << run.err;
  }
}

TEST(CliSidecar, ARawFileCarriesItsReadsSettingsToParse) {
  TempDir dir;
  CliRunOptions here;
  here.workingDirectory = dir.File("");
  const CliRun demo = RunCli({"demo", "--raw", "", "--data", "temperature", "--units",
                              "fahrenheit", "--format", "json"},
                             here);
  ASSERT_EQ(demo.status, 0) << demo.err;
  const std::string raw = dir.File("RawData.dat");
  const std::string bytes = ReadBytes(raw);
  const json sidecar = json::parse(ReadBytes(raw + ".json"));
  EXPECT_EQ(sidecar["TravimoType"], 1);
  EXPECT_EQ(sidecar["ScanDataType"], 1);
  EXPECT_EQ(sidecar["Temp_Units"], 1);
  EXPECT_EQ(sidecar["NumberOfPoints"], 512);
  EXPECT_EQ(sidecar["bytes"], bytes.size());
  EXPECT_EQ(sidecar["sha256"], Sha256Hex(bytes));
  EXPECT_FALSE(sidecar["device"].get<std::string>().empty());

  CliRun parsed = RunCli({"parse", raw, "--format", "json"});
  ASSERT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_NE(parsed.err.find("RawData.dat.json"), std::string::npos) << parsed.err;
  EXPECT_EQ(json::parse(parsed.out)["records"], json::parse(demo.out)["records"]);
  EXPECT_EQ(json::parse(parsed.out)["tempUnits"], "Fahrenheit");

  parsed = RunCli({"parse", raw, "--format", "json", "--units", "celsius"});
  EXPECT_EQ(json::parse(parsed.out)["tempUnits"], "Celsius") << "an explicit option wins";

  WriteBytes(raw, bytes + "x");
  parsed = RunCli({"parse", raw, "--format", "json"});
  EXPECT_NE(parsed.err.find("not applied"), std::string::npos) << parsed.err;
  EXPECT_EQ(json::parse(parsed.out)["dataType"], "Moisture");
}

}  // namespace
}  // namespace travimo::testing
