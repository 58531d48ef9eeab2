// `demo` end to end: the simulator on a pseudo-terminal, the real serial
// backend, the control's read cycle and the records the tool prints. The
// sample raw-data files in examples/ are what `travimo demo --type TYPE --raw
// FILE` saves, kept as data: the bytes must stay the same and `parse` must go
// on reading them as the read did.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

struct Example {
  std::string type;
  std::string file;
  std::string instrument;
  std::vector<std::string> status;  // the captions the read went through
  json firstRecord;                 // a part of it
};

// clang-format off
const std::vector<Example> kExamples = {
    {"lorvex", "lorvex-3-scans.dat", "Lorvex", {"Reading!", "Done"},
     {{"TypeLetter", "A"}, {"ScanNumber", 1}}},
    {"ostrel", "ostrel-3-measurements.dat", "Ostrel", {"Waiting!"},
     {{"DateTime", "2026-11-20T08:15:00"}, {"MeasurementNumber", 1}}},
    {"brevane", "brevane-3-measurements.dat", "Brevane", {"Waiting!"},
     {{"IDCode", sim::SampleBrevaneMeasurements(1, 512)[0].idCode}, {"SamplingRate", 2.5}}},
};
// clang-format on

TEST(CliDemo, EachInstrumentDeliversTheBytesAndRecordsOfItsExampleFile) {
  const TempDir dir;
  for (const auto& example : kExamples) {
    SCOPED_TRACE(example.type);
    const std::string file = TRAVIMO_SOURCE_DIR "/examples/" + example.file;
    const CliRun demo =
        RunCli({"demo", "--type", example.type, "--format", "json", "--raw", dir.File("raw.dat")});
    ASSERT_EQ(demo.status, 0) << demo.err;
    for (const auto& caption : example.status) EXPECT_THAT(demo.err, HasSubstr(caption));
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
    const json& meta = shown["metadata"];
    EXPECT_EQ(meta["device"].get<std::string>().rfind("/dev/", 0), 0u) << meta;
    EXPECT_EQ(meta["readTime"].get<std::string>().size(), 24u) << meta;
    EXPECT_EQ(meta["settings"].empty(), example.type != "lorvex") << meta;
  }
}

TEST(CliDemo, CsvAndTraceFromOneRead) {
  const TempDir dir;
  const CliRun run =
      RunCli({"demo", "--format", "csv", "--scans", "2", "--trace", "-", "-o", dir.File("d.csv")});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* event :
       {"open COM1 settings 9600,n,8,1", "write 2 bytes", "|D.|", "read ", "close /dev/"}) {
    EXPECT_THAT(run.err, HasSubstr(event));
  }
  const json rows = ReadBack("csv", dir.File("d.csv"));
  ASSERT_EQ(rows.size(), 1 + 2 * 512u);
  const json& last = rows.back();
  EXPECT_EQ(last[1], "2");    // record
  EXPECT_EQ(last[8], "512");  // index
  EXPECT_EQ(std::stof(last[9].get<std::string>()), sim::SampleLorvexValue(1, 0, 511));
}

}  // namespace
}  // namespace travimo::testing
