// Reads kept in the archive, and a broken archive that never costs the read.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "rawdata/sha256.h"
#include "sim/brevane_encoder.h"
#include "sim/lorvex_encoder.h"

namespace travimo::testing {
namespace {

TEST(CliArchive, ADemoReadIsKeptAndShownAsItWasPrinted) {
  const TempDir dir;
  const std::string archive = dir.File("a.sqlite");
  const CliRun demo =
      RunCli({"demo", "--type", "brevane", "--format", "json", "--archive", archive});
  if (demo.err.find("unsupported") != std::string::npos) GTEST_SKIP() << demo.err;
  ASSERT_EQ(demo.status, 0) << demo.err;
  EXPECT_NE(demo.err.find("Archived as read 1 in " + archive), std::string::npos) << demo.err;

  const CliRun show = RunCli({"show", "1", "--format", "json", "--archive", archive});
  EXPECT_EQ(show.status, 0) << show.err;
  const auto shown = nlohmann::json::parse(show.out);
  const auto printed = nlohmann::json::parse(demo.out);
  EXPECT_EQ(shown, printed);
  EXPECT_EQ(shown["metadata"]["archiveEntry"], 1);

  const CliRun history =
      RunCli({"history", "--format", "csv", "--type", "brevane", "--archive", archive});
  EXPECT_EQ(history.status, 0) << history.err;
  EXPECT_NE(history.out.find("\r\n1,"), std::string::npos) << history.out;
  EXPECT_NE(history.out.find(",Brevane,"), std::string::npos) << history.out;

  EXPECT_EQ(RunCli({"archive", "check", "--archive", archive}).status, 0);
  EXPECT_NE(RunCli({"show", "2", "--archive", archive}).status, 0);             // no such read
  EXPECT_EQ(RunCli({"demo", "--no-archive", "--archive", archive}).status, 2);  // contradictory
}

// The bytes are kept exactly: decoded again they give the read's records, and
// with other settings a new entry that names the read.
TEST(CliArchive, AReadIsDecodedAgainFromItsBytes) {
  const TempDir dir;
  const std::string archive = dir.File("a.sqlite");
  const CliRun demo = RunCli({"demo", "--scans", "1", "--format", "json", "--archive", archive});
  if (demo.err.find("unsupported") != std::string::npos) GTEST_SKIP() << demo.err;
  ASSERT_EQ(demo.status, 0) << demo.err;
  const CliRun same = RunCli({"reparse", "1", "--format", "json", "--archive", archive});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, demo.out);

  const CliRun hot = RunCli({"reparse", "1", "--data", "temperature", "--units", "fahrenheit",
                             "--format", "csv", "--save", "--archive", archive});
  EXPECT_EQ(hot.status, 0) << hot.err;
  EXPECT_NE(hot.err.find("Archived as read 2 in " + archive), std::string::npos) << hot.err;
  EXPECT_NE(hot.out, RunCli({"show", "1", "--format", "csv", "--archive", archive}).out);
  EXPECT_EQ(RunCli({"show", "2", "--format", "csv", "--archive", archive}).out, hot.out);
  const auto history = nlohmann::json::parse(
      RunCli({"history", "--format", "json", "--archive", archive}).out);
  ASSERT_EQ(history.size(), 2u);
  EXPECT_EQ(history[1]["source"], "reparse");
  EXPECT_EQ(history[1]["parent"], 1);
  EXPECT_EQ(history[1]["time"], history[0]["time"]);  // the same read, decoded anew

  const CliRun forced = RunCli({"reparse", "1", "--type", "brevane", "--archive", archive});
  EXPECT_NE(forced.status, 0);
  EXPECT_NE(forced.err.find("error "), std::string::npos) << forced.err;
  EXPECT_EQ(RunCli({"reparse", "9", "--archive", archive}).status, 11);  // no such read
}

// A settings file of bytes as a read with --raw leaves it beside them.
std::string SidecarOf(const std::string& bytes, int32_t dataType, const std::string& started) {
  const std::vector<uint8_t> data(bytes.begin(), bytes.end());
  return nlohmann::json{{"travimoRawDataSettings", 1},
                        {"TravimoType", 1},
                        {"ScanDataType", dataType},
                        {"Temp_Units", 1},
                        {"device", "/dev/ttyUSB3"},
                        {"started", started},
                        {"bytes", bytes.size()},
                        {"sha256", Sha256Hex(data)}}
      .dump();
}

// Files in by parse and import, out by export: several reads in one file.
TEST(CliArchive, FilesComeInByParseAndImportAndGoOutTogether) {
  const TempDir dir;
  const std::string archive = dir.File("a.sqlite");
  const std::string lorvex = sim::EncodeLorvexTransfer({{'A', {250, 260}}});
  sim::BrevaneMeasurement measurement;
  measurement.moisture = {5.5f, 6.5f};
  const std::string brevane = sim::EncodeBrevane({measurement});
  WriteBytes(dir.File("l.dat"), lorvex);
  WriteBytes(dir.File("b.dat"), brevane);
  WriteBytes(dir.File("hot.dat"), lorvex);
  WriteBytes(dir.File("hot.dat.json"), SidecarOf(lorvex, 1, "2025-01-02T03:04:05Z"));
  WriteBytes(dir.File("stale.dat"), lorvex);
  WriteBytes(dir.File("stale.dat.json"), SidecarOf(brevane, 1, "2025-01-02T03:04:05Z"));
  WriteBytes(dir.File("junk.dat"), "no instrument wrote this");

  const CliRun parsed = RunCli({"parse", dir.File("l.dat"), "--format", "csv", "--archive", archive});
  EXPECT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_NE(parsed.err.find("Archived as read 1"), std::string::npos) << parsed.err;
  const CliRun imported = RunCli({"import", dir.File("b.dat"), dir.File("hot.dat"),
                                  dir.File("stale.dat"), dir.File("junk.dat"), "--archive", archive});
  EXPECT_EQ(imported.status, 0) << imported.err;  // a text that does not decode is still kept
  EXPECT_NE(imported.err.find("describes other bytes"), std::string::npos) << imported.err;
  EXPECT_NE(imported.err.find("junk.dat as read 5, which does not decode"), std::string::npos)
      << imported.err;

  const auto history =
      nlohmann::json::parse(RunCli({"history", "--format", "json", "--archive", archive}).out);
  ASSERT_EQ(history.size(), 5u);
  const auto& hot = history[0];  // oldest first: the sidecar's time
  EXPECT_EQ(hot["number"], 3);
  EXPECT_EQ(hot["device"], "/dev/ttyUSB3");
  EXPECT_EQ(hot["time"], "2025-01-02T03:04:05Z");
  EXPECT_EQ(RunCli({"show", "3", "--format", "csv", "--archive", archive}).out,
            RunCli({"parse", dir.File("l.dat"), "--format", "csv", "--data", "temperature",
                    "--units", "fahrenheit"})
                .out);
  EXPECT_EQ(RunCli({"show", "4", "--format", "csv", "--archive", archive}).out, parsed.out);

  const CliRun csv = RunCli({"export", "1", "2", "4", "-o", dir.File("e.csv"), "--archive", archive});
  EXPECT_EQ(csv.status, 0) << csv.err;
  const auto rows = ParseCsv(ReadBytes(dir.File("e.csv")));
  std::map<std::string, int> rowsOfRead;
  for (const auto& row : rows) ++rowsOfRead[row.at(0)];
  EXPECT_EQ(rowsOfRead["read"], 2);  // one header per instrument's layout
  EXPECT_GT(rowsOfRead["1"], 0);
  EXPECT_EQ(rowsOfRead["4"], rowsOfRead["1"]);
  EXPECT_GT(rowsOfRead["2"], 0);
  EXPECT_EQ(rows.at(1).at(1), "Lorvex");

  const CliRun json = RunCli({"export", "2", "5", "--format", "json", "--archive", archive});
  EXPECT_EQ(json.status, 0) << json.err;
  const auto reads = nlohmann::json::parse(json.out);
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0]["read"], 2);
  EXPECT_EQ(reads[0]["instrument"], "Brevane");
  EXPECT_EQ(reads[1]["count"], 0);
  EXPECT_NE(reads[1]["errorNumber"], 0);

  // A missing read writes nothing; a parse the archive cannot keep is still delivered.
  EXPECT_NE(RunCli({"export", "1", "9", "-o", dir.File("none.csv"), "--archive", archive}).status, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.csv")));
  WriteBytes(dir.File("corrupt.sqlite"), std::string(4096, 'x'));
  const CliRun unkept =
      RunCli({"parse", dir.File("l.dat"), "--format", "csv", "--archive", dir.File("corrupt.sqlite")});
  EXPECT_EQ(unkept.status, 9);
  EXPECT_EQ(unkept.out, parsed.out);
}

// The read is delivered either way and its bytes go to a recovery file; only
// a named archive changes the status.
TEST(CliArchive, AnUnusableArchiveNeverCostsTheRead) {
  const TempDir dir;
  const std::string corrupt = dir.File("corrupt.sqlite");
  WriteBytes(corrupt, std::string(4096, 'x'));
  std::filesystem::create_directories(dir.File("home/travimo"));
  WriteBytes(dir.File("home/travimo/archive.sqlite"), std::string(4096, 'x'));
  struct Case {
    const char* name;
    std::vector<std::string> archive;
    int status;
  };
  const std::vector<Case> cases = {{"named", {"--archive", corrupt}, 9},
                                   {"default", {}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string state = dir.File(std::string("state-") + c.name);
    CliRunOptions options;
    options.environment = {"XDG_STATE_HOME=" + state, "XDG_DATA_HOME=" + dir.File("home")};
    std::vector<std::string> args = {"demo", "--scans", "1", "--format", "csv"};
    args.insert(args.end(), c.archive.begin(), c.archive.end());
    const CliRun demo = RunCli(args, options);
    EXPECT_EQ(demo.status, c.status) << demo.err;
    EXPECT_NE(demo.out.find("Lorvex,1,"), std::string::npos) << demo.out;
    EXPECT_NE(demo.err.find("not archived: error 75"), std::string::npos) << demo.err;
    EXPECT_NE(demo.err.find(c.archive.empty() ? "home/travimo/archive.sqlite" : corrupt),
              std::string::npos)
        << demo.err;
    std::vector<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(state + "/travimo")) {
      if (entry.path().extension() == ".dat") kept.push_back(entry.path());
    }
    ASSERT_EQ(kept.size(), 1u) << demo.err;
    EXPECT_NE(demo.err.find(kept[0]), std::string::npos) << demo.err;
    EXPECT_EQ(RunCli({"parse", kept[0], "--format", "csv"}).out, demo.out);
  }
}

}  // namespace
}  // namespace travimo::testing
