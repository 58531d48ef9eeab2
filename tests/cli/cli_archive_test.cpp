// `demo` end to end and the reads it keeps in the archive, files brought in
// and taken out, and a broken archive that never costs the read.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "rawdata/sha256.h"
#include "sim/brevane_encoder.h"
#include "sim/lorvex_encoder.h"
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

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
