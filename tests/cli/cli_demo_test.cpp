// `demo` end to end: the simulator on a pseudo-terminal, the real serial
// backend, the control's read cycle and the records the tool prints, which
// must be those of the sample raw-data file in examples/. The samples were
// made from the simulator (set TRAVIMO_WRITE_EXAMPLES=1 to make them again)
// and are kept as data, so `parse` must go on reading them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

struct Example {
  std::string type;
  sim::Mode mode;
  std::string file;
  std::string instrument;
  std::vector<std::string> status;  // the captions the read went through
  json firstRecord;                 // a part of it
};

const std::vector<Example> kExamples = {
    {"lorvex", sim::Mode::Lorvex, "lorvex-3-scans.dat", "Lorvex", {"Reading!", "Done"},
     {{"TypeLetter", "A"}, {"ScanNumber", 1}}},
    {"ostrel", sim::Mode::Ostrel, "ostrel-3-measurements.dat", "Ostrel", {"Waiting!"},
     {{"DateTime", "2026-11-20T08:15:00"}, {"MeasurementNumber", 1}}},
    {"brevane", sim::Mode::Brevane, "brevane-3-measurements.dat", "Brevane", {"Waiting!"},
     {{"IDCode", sim::SampleBrevaneMeasurements(1, 512)[0].idCode}, {"SamplingRate", 2.5}}},
};

std::string ExamplePath(const Example& example) {
  return std::string(TRAVIMO_SOURCE_DIR) + "/examples/" + example.file;
}

TEST(CliExamples, Regenerate) {
  if (std::getenv("TRAVIMO_WRITE_EXAMPLES") == nullptr)
    GTEST_SKIP() << "set TRAVIMO_WRITE_EXAMPLES";
  for (const auto& example : kExamples) {
    sim::TransferRequest request;
    request.mode = example.mode;
    request.scans = 3;
    request.points = 512;
    WriteBytes(ExamplePath(example), sim::DefaultTransfer(request));
  }
}

TEST(CliDemo, EachInstrumentDeliversTheRecordsOfItsExampleFile) {
  for (const auto& example : kExamples) {
    SCOPED_TRACE(example.type);
    const CliRun demo = RunCli({"demo", "--type", example.type, "--format", "json"});
    ASSERT_EQ(demo.status, 0) << demo.err;
    for (const auto& caption : example.status) EXPECT_THAT(demo.err, HasSubstr(caption));
    const CliRun parsed = RunCli({"parse", ExamplePath(example), "--format", "json"});
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
    const json& meta = shown["metadata"];
    EXPECT_EQ(meta["device"].get<std::string>().rfind("/dev/", 0), 0u) << meta;
    EXPECT_EQ(meta["readTime"].get<std::string>().size(), 24u) << meta;
    EXPECT_EQ(meta["settings"].empty(), example.type != "lorvex") << meta;
  }
}

TEST(CliDemo, CsvAndTraceFromOneRead) {
  const TempDir dir;
  const CliRun run = RunCli(
      {"demo", "--format", "csv", "--scans", "2", "--trace", "-", "-o", dir.File("d.csv")});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* event : {"open COM1 settings 9600,n,8,1", "write 2 bytes", "|D.|", "read ",
                            "close /dev/"}) {
    EXPECT_THAT(run.err, HasSubstr(event));
  }
  const json rows = ReadBack("csv", dir.File("d.csv"));
  ASSERT_EQ(rows.size(), 1 + 2 * 512u);
  EXPECT_EQ(rows[0][0], "instrument");
  EXPECT_EQ(rows[1][0], "Lorvex");
  const json& last = rows.back();
  EXPECT_EQ(last[1], "2");    // record
  EXPECT_EQ(last[8], "512");  // index
  EXPECT_EQ(std::stof(last[9].get<std::string>()), sim::SampleLorvexValue(1, 0, 511));
}

}  // namespace
}  // namespace travimo::testing
