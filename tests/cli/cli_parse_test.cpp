// `parse` of saved transfers of each instrument in each output format, read back.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "sim/brevane_encoder.h"
#include "sim/lorvex_encoder.h"
#include "sim/ostrel_encoder.h"
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

using nlohmann::json;

struct Transfer {
  std::string name;  // the instrument as the tool prints it
  std::string text;
  size_t records;
  std::vector<float> firstScan;  // the first record's ScanData values
  int32_t lower;
};

std::vector<Transfer> Transfers() {
  std::vector<Transfer> transfers;
  {
    auto scans = sim::SampleLorvexScans(3, 0, 512);
    scans[1].typeLetter = 'C';
    Transfer t{"Lorvex", sim::EncodeLorvexTransfer(scans), 3, {}, 1};
    for (const auto v : scans[0].values) t.firstScan.push_back(v);
    transfers.push_back(t);
  }
  {
    sim::OstrelMeasurement m;
    m.calibrationConstantA = "A1234";
    m.measurementNumber = 4;
    m.year = 24;
    m.month = 5;
    m.day = 6;
    m.scans = {{"0101", "0202", "12.5"}, {"0303"}};
    transfers.push_back({"Ostrel", sim::EncodeOstrel({m}), 2, {101, 202, 12.5f}, 1});
  }
  {
    auto measurements = sim::SampleBrevaneMeasurements(2, 10);
    measurements[0].idCode = "Line 3, \"north\"";  // needs quoting in CSV
    Transfer t{"Brevane", sim::EncodeBrevane(measurements), 2, measurements[0].moisture, 0};
    transfers.push_back(t);
  }
  return transfers;
}

class CliParse : public ::testing::Test {
 protected:
  std::string Save(const Transfer& t) {
    const std::string path = dir_.File(t.name + ".dat");
    WriteBytes(path, t.text);
    return path;
  }
  TempDir dir_;
};

TEST_F(CliParse, JsonHoldsEveryRecordWithItsSeries) {
  for (const auto& t : Transfers()) {
    SCOPED_TRACE(t.name);
    const CliRun run = RunCli({"parse", Save(t), "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json doc = json::parse(run.out);
    EXPECT_EQ(doc["instrument"], t.name);
    ASSERT_EQ(doc["records"].size(), t.records);
    const json& series = doc["records"][0]["ScanData"];
    EXPECT_EQ(series["lower"], t.lower);
    ASSERT_GE(series["values"].size(), t.firstScan.size());
    for (size_t i = 0; i < t.firstScan.size(); ++i) {
      EXPECT_FLOAT_EQ(series["values"][i].get<float>(), t.firstScan[i]) << i;
    }
    if (t.name == "Lorvex") {  // type letters are kept per scan
      EXPECT_EQ(doc["records"][0]["TypeLetter"], "A");
      EXPECT_EQ(doc["records"][1]["TypeLetter"], "C");
    }
  }
}

TEST_F(CliParse, CsvReadsBackToTheSamePoints) {
  for (const auto& t : Transfers()) {
    SCOPED_TRACE(t.name);
    const CliRun run = RunCli({"parse", Save(t), "--format", "csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto rows = ParseCsv(run.out);
    ASSERT_GT(rows.size(), t.firstScan.size());
    const auto& header = rows[0];
    EXPECT_EQ(header[7], "series");
    std::vector<float> first;
    for (size_t r = 1; r < rows.size(); ++r) {
      ASSERT_EQ(rows[r].size(), header.size()) << "row " << r;
      EXPECT_EQ(rows[r][0], t.name);
      if (rows[r][1] == "1" && rows[r][7] == "ScanData") first.push_back(std::stof(rows[r][9]));
    }
    ASSERT_GE(first.size(), t.firstScan.size());
    for (size_t i = 0; i < t.firstScan.size(); ++i) EXPECT_FLOAT_EQ(first[i], t.firstScan[i]);
    if (t.name == "Brevane") {  // the ID code needs quoting
      EXPECT_NE(run.out.find("\"Line 3, \"\"north\"\"\""), std::string::npos);
      EXPECT_EQ(rows[1][5], "Line 3, \"north\"");
    }
  }
}

TEST_F(CliParse, TableSummarisesEachScan) {
  for (const auto& t : Transfers()) {
    SCOPED_TRACE(t.name);
    const CliRun run = RunCli({"parse", Save(t)});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind(t.name + ": " + std::to_string(t.records) + " records", 0), 0u)
        << run.out;
    for (size_t r = 1; r <= t.records; ++r) {
      EXPECT_NE(run.out.find("Scan " + std::to_string(r) + "\n"), std::string::npos);
    }
  }
}

TEST_F(CliParse, LorvexSettingsShapeTheDecode) {
  // Temperature in Fahrenheit: a value of 250 is 25.0 C, 77 F; 256 points average pairs.
  const std::string path = dir_.File("t.dat");
  WriteBytes(path, sim::EncodeLorvexTransfer({{'A', {250, 250, 240, 260}}}));
  CliRun run =
      RunCli({"parse", path, "--format", "json", "--data", "temperature", "--units", "fahrenheit"});
  ASSERT_EQ(run.status, 0) << run.err;
  json doc = json::parse(run.out);
  EXPECT_EQ(doc["tempUnits"], "Fahrenheit");
  EXPECT_FLOAT_EQ(doc["records"][0]["ScanData"]["values"][0].get<float>(), 77.0f);

  run = RunCli({"parse", path, "--format", "json", "--points", "256"});
  ASSERT_EQ(run.status, 0) << run.err;
  doc = json::parse(run.out);
  EXPECT_EQ(doc["records"][0]["ScanData"]["values"].size(), 256u);
  EXPECT_FLOAT_EQ(doc["records"][0]["ScanData"]["values"][1].get<float>(), 250.0f);
}

TEST_F(CliParse, FailuresGiveTheirNumberNameAndStatus) {
  struct Case {
    std::string label;
    std::string text;
    std::vector<std::string> extra;
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"too short for a scan", "P123", {}, 3, "error 1 (ComportReadError): Can Not Read Comport"},
      {"no transfer at all", "localhost\n", {}, 3, "bad.dat holds no instrument transfer (10 bytes)"},
      {"blue line",
       sim::EncodeLorvexTransfer(sim::SampleLorvexScans(1, 0, 512)),
       {"--blue-line", "on"},
       5,
       "error 3 (BlueLineError): Blue Line Error"},
      {"forced Ostrel parser on Lorvex text",
       sim::EncodeLorvexTransfer(sim::SampleLorvexScans(1, 0, 512)),
       {"--type", "ostrel"},
       8,
       "error 32769 (InvalidOstrelDataError)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string path = dir_.File("bad.dat");
    WriteBytes(path, c.text);
    std::vector<std::string> args = {"parse", path};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

TEST_F(CliParse, OutputFileGetsTheResults) {
  const std::string out = dir_.File("out.json");
  const CliRun run = RunCli({"parse", Save(Transfers()[1]), "--format", "json", "-o", out});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(json::parse(ReadBytes(out))["instrument"], "Ostrel");

  const CliRun failed =
      RunCli({"parse", Save(Transfers()[1]), "-o", dir_.File("missing/dir/out.txt")});
  EXPECT_EQ(failed.status, 9);
  EXPECT_NE(failed.err.find("missing/dir/out.txt"), std::string::npos) << failed.err;
}

}  // namespace
}  // namespace travimo::testing
