// Reads kept in the archive, and a broken archive that never costs the read.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "rawdata/sha256.h"
#include "sim/brevane_encoder.h"
#include "sim/lorvex_encoder.h"

namespace travimo::testing {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

// A read is kept as it was printed, and its bytes exactly: decoded again they
// give its records, and with other settings a new entry that names the read.
TEST(CliArchive, AReadIsKeptShownAndDecodedAgain) {
  const TempDir dir;
  const std::string archive = dir.File("a.sqlite");
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.end(), {"--archive", archive});
    return RunCli(args);
  };
  const CliRun brevane = run({"demo", "--type", "brevane", "--format", "json"});
  ASSERT_EQ(brevane.status, 0) << brevane.err;
  EXPECT_THAT(brevane.err, HasSubstr("Archived as read 1 in " + archive));
  const CliRun shown = run({"show", "1", "--format", "json"});
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(json::parse(shown.out), json::parse(brevane.out));
  EXPECT_EQ(json::parse(shown.out)["metadata"]["archiveEntry"], 1);

  const CliRun lorvex = run({"demo", "--scans", "1", "--format", "json"});
  ASSERT_EQ(lorvex.status, 0) << lorvex.err;
  const CliRun same = run({"reparse", "2", "--format", "json"});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, lorvex.out);
  const CliRun hot = run({"reparse", "2", "--data", "temperature", "--units", "fahrenheit",
                          "--format", "csv", "--save"});
  EXPECT_EQ(hot.status, 0) << hot.err;
  EXPECT_THAT(hot.err, HasSubstr("Archived as read 3 in " + archive));
  EXPECT_NE(hot.out, run({"show", "2", "--format", "csv"}).out);
  EXPECT_EQ(run({"show", "3", "--format", "csv"}).out, hot.out);

  const auto history = json::parse(run({"history", "--format", "json"}).out);
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(history[2]["source"], "reparse");
  EXPECT_EQ(history[2]["parent"], 2);
  EXPECT_EQ(history[2]["time"], history[1]["time"]);  // the same read, decoded anew
  const CliRun brevanes = run({"history", "--format", "csv", "--type", "brevane"});
  EXPECT_EQ(brevanes.status, 0) << brevanes.err;
  EXPECT_THAT(brevanes.out, HasSubstr("\r\n1,"));
  EXPECT_THAT(brevanes.out, HasSubstr(",Brevane,"));
  EXPECT_THAT(brevanes.out, ::testing::Not(HasSubstr("\r\n2,")));

  EXPECT_EQ(run({"archive", "check"}).status, 0);
  const std::string noRead = "has no read 9: see travimo history";
  ExpectRefusals(
      {{{"show", "9", "--archive", archive}, 11, {noRead}},
       {{"reparse", "9", "--archive", archive}, 11, {noRead}},
       {{"export", "2", "9", "-o", dir.File("none.csv"), "--archive", archive}, 11, {noRead}},
       {{"reparse", "2", "--type", "brevane", "--archive", archive},
        8,
        {"error 32770 (InvalidBrevaneDataError)"}}});
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.csv")));  // a missing read writes nothing
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
TEST(CliArchive, FilesComeInByParseAndImportAndGoOutTogether) {
  const TempDir dir;
  const std::string archive = dir.File("a.sqlite");
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.end(), {"--archive", archive});
    return RunCli(args);
  };
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
    WriteBytes(dir.File(file), bytes);
  }
  const CliRun parsed = run({"parse", dir.File("l.dat"), "--format", "csv"});
  EXPECT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_THAT(parsed.err, HasSubstr("Archived as read 1"));
  const CliRun imported = run({"import", dir.File("b.dat"), dir.File("hot.dat"),
                               dir.File("stale.dat"), dir.File("junk.dat")});
  EXPECT_EQ(imported.status, 0) << imported.err;  // a text that does not decode is still kept
  EXPECT_THAT(imported.err, HasSubstr("describes other bytes"));
  EXPECT_THAT(imported.err, HasSubstr("junk.dat as read 5, which does not decode"));

  const auto history = json::parse(run({"history", "--format", "json"}).out);
  ASSERT_EQ(history.size(), 5u);
  const auto& hot = history[0];  // oldest first: the sidecar's time
  EXPECT_EQ(hot["number"], 3);
  EXPECT_EQ(hot["device"], "/dev/ttyUSB3");
  EXPECT_EQ(hot["time"], "2025-01-02T03:04:05Z");
  EXPECT_EQ(run({"show", "3", "--format", "csv"}).out,
            RunCli({"parse", dir.File("l.dat"), "--format", "csv", "--data", "temperature",
                    "--units", "fahrenheit"})
                .out);
  EXPECT_EQ(run({"show", "4", "--format", "csv"}).out, parsed.out);

  const CliRun csv = run({"export", "1", "2", "4", "-o", dir.File("e.csv")});
  EXPECT_EQ(csv.status, 0) << csv.err;
  const json rows = ReadBack("csv", dir.File("e.csv"));
  std::map<std::string, int> rowsOfRead;
  for (const auto& row : rows) {
    if (!row.empty()) ++rowsOfRead[row[0]];
  }
  EXPECT_EQ(rowsOfRead["read"], 2);  // one header per instrument's layout
  EXPECT_GT(rowsOfRead["1"], 0);
  EXPECT_EQ(rowsOfRead["4"], rowsOfRead["1"]);
  EXPECT_GT(rowsOfRead["2"], 0);
  EXPECT_EQ(rows.at(1).at(1), "Lorvex");

  const CliRun exported = run({"export", "2", "5", "--format", "json"});
  EXPECT_EQ(exported.status, 0) << exported.err;
  const auto reads = json::parse(exported.out);
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0]["read"], 2);
  EXPECT_EQ(reads[0]["instrument"], "Brevane");
  EXPECT_EQ(reads[1]["count"], 0);
  EXPECT_NE(reads[1]["errorNumber"], 0);

  // A parse the archive cannot keep is still delivered.
  WriteBytes(dir.File("corrupt.sqlite"), std::string(4096, 'x'));
  const CliRun unkept = RunCli(
      {"parse", dir.File("l.dat"), "--format", "csv", "--archive", dir.File("corrupt.sqlite")});
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
  const struct {
    std::string name;
    std::vector<std::string> archive;
    int status;
  } cases[] = {{"named", {"--archive", corrupt}, 9}, {"default", {}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string state = dir.File("state-" + c.name);
    CliRunOptions options;
    options.environment = {"XDG_STATE_HOME=" + state, "XDG_DATA_HOME=" + dir.File("home")};
    std::vector<std::string> args = {"demo", "--scans", "1", "--format", "csv"};
    args.insert(args.end(), c.archive.begin(), c.archive.end());
    const CliRun demo = RunCli(args, options);
    EXPECT_EQ(demo.status, c.status) << demo.err;
    EXPECT_THAT(demo.out, HasSubstr("Lorvex,1,"));
    EXPECT_THAT(demo.err, HasSubstr("not archived: error 75"));
    EXPECT_THAT(demo.err, HasSubstr(c.archive.empty() ? "home/travimo/archive.sqlite" : corrupt));
    const auto kept = KeptForRecovery(state);
    ASSERT_EQ(kept.size(), 1u) << demo.err;
    EXPECT_THAT(demo.err, HasSubstr(kept[0]));
    EXPECT_EQ(RunCli({"parse", kept[0], "--format", "csv"}).out, demo.out);
  }
}

}  // namespace
}  // namespace travimo::testing
