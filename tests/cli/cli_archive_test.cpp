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

// Each test has an archive of its own, named on every run.
class CliArchive : public ::testing::Test {
 protected:
  CliRun Run(std::vector<std::string> args) const {
    args.insert(args.end(), {"--archive", archive_});
    return RunCli(args);
  }
  const TempDir dir_;
  const std::string archive_ = dir_.File("a.sqlite");
};

// A read is kept as it was printed, and its bytes exactly: decoded again they
// give its records, and with other settings a new entry that names the read.
TEST_F(CliArchive, AReadIsKeptShownAndDecodedAgain) {
  const CliRun brevane = Run({"demo", "--type", "brevane", "--format", "json"});
  ASSERT_EQ(brevane.status, 0) << brevane.err;
  EXPECT_THAT(brevane.err, HasSubstr("Archived as read 1 in " + archive_));
  const CliRun shown = Run({"show", "1", "--format", "json"});
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(json::parse(shown.out), json::parse(brevane.out));
  EXPECT_EQ(json::parse(shown.out)["metadata"]["archiveEntry"], 1);

  const CliRun lorvex = Run({"demo", "--scans", "1", "--format", "json"});
  ASSERT_EQ(lorvex.status, 0) << lorvex.err;
  const CliRun same = Run({"reparse", "2", "--format", "json"});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, lorvex.out);
  const CliRun hot = Run({"reparse", "2", "--data", "temperature", "--units", "fahrenheit",
                          "--format", "csv", "--save"});
  EXPECT_EQ(hot.status, 0) << hot.err;
  EXPECT_THAT(hot.err, HasSubstr("Archived as read 3 in " + archive_));
  EXPECT_NE(hot.out, Run({"show", "2", "--format", "csv"}).out);
  EXPECT_EQ(Run({"show", "3", "--format", "csv"}).out, hot.out);

  const auto history = json::parse(Run({"history", "--format", "json"}).out);
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(history[2]["source"], "reparse");
  EXPECT_EQ(history[2]["parent"], 2);
  EXPECT_EQ(history[2]["time"], history[1]["time"]);  // the same read, decoded anew
  const CliRun brevanes = Run({"history", "--format", "csv", "--type", "brevane"});
  EXPECT_EQ(brevanes.status, 0) << brevanes.err;
  EXPECT_THAT(brevanes.out, HasSubstr("\r\n1,"));
  EXPECT_THAT(brevanes.out, HasSubstr(",Brevane,"));
  EXPECT_THAT(brevanes.out, ::testing::Not(HasSubstr("\r\n2,")));

  EXPECT_EQ(Run({"archive", "check"}).status, 0);
  const std::string noRead = "has no read 9: see travimo history";
  ExpectRefusals(
      {{{"show", "9", "--archive", archive_}, 11, {noRead}},
       {{"reparse", "9", "--archive", archive_}, 11, {noRead}},
       {{"export", "2", "9", "-o", dir_.File("none.csv"), "--archive", archive_}, 11, {noRead}},
       {{"reparse", "2", "--type", "brevane", "--archive", archive_},
        8,
        {"error 32770 (InvalidBrevaneDataError)"}}});
  EXPECT_FALSE(std::filesystem::exists(dir_.File("none.csv")));  // a missing read writes nothing
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
    WriteBytes(dir_.File(file), bytes);
  }
  const CliRun parsed = Run({"parse", dir_.File("l.dat"), "--format", "csv"});
  EXPECT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_THAT(parsed.err, HasSubstr("Archived as read 1"));
  const CliRun imported = Run({"import", dir_.File("b.dat"), dir_.File("hot.dat"),
                               dir_.File("stale.dat"), dir_.File("junk.dat")});
  EXPECT_EQ(imported.status, 0) << imported.err;  // a text that does not decode is still kept
  EXPECT_THAT(imported.err, HasSubstr("describes other bytes"));
  EXPECT_THAT(imported.err, HasSubstr("junk.dat as read 5, which does not decode"));

  const auto history = json::parse(Run({"history", "--format", "json"}).out);
  ASSERT_EQ(history.size(), 5u);
  const auto& hot = history[0];  // oldest first: the sidecar's time
  EXPECT_EQ(hot["number"], 3);
  EXPECT_EQ(hot["device"], "/dev/ttyUSB3");
  EXPECT_EQ(hot["time"], "2025-01-02T03:04:05Z");
  EXPECT_EQ(Run({"show", "3", "--format", "csv"}).out,
            RunCli({"parse", dir_.File("l.dat"), "--format", "csv", "--data", "temperature",
                    "--units", "fahrenheit"})
                .out);
  EXPECT_EQ(Run({"show", "4", "--format", "csv"}).out, parsed.out);

  const CliRun csv = Run({"export", "1", "2", "4", "-o", dir_.File("e.csv")});
  EXPECT_EQ(csv.status, 0) << csv.err;
  const json rows = ReadBack("csv", dir_.File("e.csv"));
  std::map<std::string, int> rowsOfRead;
  for (const auto& row : rows) {
    if (!row.empty()) ++rowsOfRead[row[0]];
  }
  EXPECT_EQ(rowsOfRead["read"], 2);  // one header per instrument's layout
  EXPECT_GT(rowsOfRead["1"], 0);
  EXPECT_EQ(rowsOfRead["4"], rowsOfRead["1"]);
  EXPECT_GT(rowsOfRead["2"], 0);
  EXPECT_EQ(rows.at(1).at(1), "Lorvex");

  const CliRun exported = Run({"export", "2", "5", "--format", "json"});
  EXPECT_EQ(exported.status, 0) << exported.err;
  const auto reads = json::parse(exported.out);
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0]["read"], 2);
  EXPECT_EQ(reads[0]["instrument"], "Brevane");
  EXPECT_EQ(reads[1]["count"], 0);
  EXPECT_NE(reads[1]["errorNumber"], 0);
}

// The read is delivered either way and its bytes go to a recovery file; only
// a named archive changes the status.
TEST_F(CliArchive, AnUnusableArchiveNeverCostsTheRead) {
  const std::string corrupt = dir_.File("corrupt.sqlite");
  WriteBytes(corrupt, std::string(4096, 'x'));
  std::filesystem::create_directories(dir_.File("home/travimo"));
  WriteBytes(dir_.File("home/travimo/archive.sqlite"), std::string(4096, 'x'));
  const struct {
    std::string name;
    std::vector<std::string> archive;
    int status;
  } cases[] = {{"named", {"--archive", corrupt}, 9}, {"default", {}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string state = dir_.File("state-" + c.name);
    CliRunOptions options;
    options.environment = {"XDG_STATE_HOME=" + state, "XDG_DATA_HOME=" + dir_.File("home")};
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
    const CliRun unkept = RunCli({"parse", kept[0], "--format", "csv", "--archive", corrupt});
    EXPECT_EQ(unkept.status, 9);  // nor does it cost a parse
    EXPECT_EQ(unkept.out, demo.out);
  }
}

}  // namespace
}  // namespace travimo::testing
