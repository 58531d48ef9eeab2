// `demo` end to end: the simulator on a pseudo-terminal, the real serial
// backend, the control's read cycle, and the records the tool prints.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

using nlohmann::json;

constexpr int kScans = 3;
constexpr size_t kPoints = 512;

json DemoJson(const std::string& type, CliRun& run) {
  run = RunCli({"demo", "--type", type, "--format", "json"});
  if (run.status != 0 && run.err.find("unsupported") != std::string::npos) return nullptr;
  return json::parse(run.out, nullptr, false);
}

TEST(CliDemo, LorvexPrintsTheSimulatedScans) {
  CliRun run;
  const json doc = DemoJson("lorvex", run);
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_FALSE(doc.is_discarded()) << run.out;
  EXPECT_EQ(doc["instrument"], "Lorvex");
  EXPECT_EQ(doc["dataType"], "Moisture");
  ASSERT_EQ(doc["count"], kScans);
  for (int s = 0; s < kScans; ++s) {
    const json& record = doc["records"][static_cast<size_t>(s)];
    EXPECT_EQ(record["record"], s + 1);
    EXPECT_EQ(record["TypeLetter"], "A");
    EXPECT_EQ(record["ScanData"]["lower"], 1);
    const json& values = record["ScanData"]["values"];
    ASSERT_EQ(values.size(), kPoints);
    for (size_t i = 0; i < kPoints; i += 97) {
      EXPECT_EQ(values[i].get<double>(), sim::SampleLorvexValue(s, 0, i)) << "scan " << s;
    }
  }
  // The status line followed the control's captions on standard error.
  EXPECT_NE(run.err.find("Reading!"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Done"), std::string::npos) << run.err;
}

TEST(CliDemo, OstrelAndBrevanePrintTheSimulatedMeasurements) {
  struct Case {
    std::string type;
    std::string instrument;
  };
  for (const Case& c : {Case{"ostrel", "Ostrel"}, Case{"brevane", "Brevane"}}) {
    SCOPED_TRACE(c.type);
    CliRun run;
    const json doc = DemoJson(c.type, run);
    if (doc.is_null()) GTEST_SKIP() << "simulator mode unsupported: " << run.err;
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_FALSE(doc.is_discarded()) << run.out;
    EXPECT_EQ(doc["instrument"], c.instrument);
    ASSERT_EQ(doc["count"], kScans);
    EXPECT_NE(run.err.find("Waiting!"), std::string::npos) << run.err;
    for (size_t m = 0; m < kScans; ++m) {
      const json& record = doc["records"][m];
      EXPECT_EQ(record["ScanData"]["values"].size(), kPoints);
      EXPECT_EQ(record["DateTime"].get<std::string>().substr(0, 10), "2026-11-20");
    }
    if (c.type != "brevane") continue;
    const auto samples = sim::SampleBrevaneMeasurements(kScans, kPoints);
    for (size_t m = 0; m < samples.size(); ++m) {
      const json& record = doc["records"][m];
      EXPECT_EQ(record["IDCode"], samples[m].idCode);
      EXPECT_EQ(record["MeasurementNumber"], samples[m].measurementNumber);
      EXPECT_EQ(record["BasisWeightUnit"], samples[m].basisWeightUnit);
      EXPECT_FLOAT_EQ(record["SamplingRate"].get<float>(), samples[m].samplingRate);
      ASSERT_EQ(record["ScanData"]["values"].size(), samples[m].moisture.size());
      EXPECT_FLOAT_EQ(record["ScanData"]["values"][5].get<float>(), samples[m].moisture[5]);
    }
  }
}

TEST(CliDemo, CsvAndTraceFromOneRead) {
  const CliRun run = RunCli({"demo", "--format", "csv", "--scans", "2", "--trace", "-"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* event : {"open COM1 settings 9600,n,8,1", "write 2 bytes", "|D.|",
                            "read ", "close /dev/"}) {
    EXPECT_NE(run.err.find(event), std::string::npos) << event << " not traced in\n" << run.err;
  }
  const auto rows = ParseCsv(run.out);
  ASSERT_EQ(rows.size(), 1 + 2 * kPoints);
  EXPECT_EQ(rows[0][0], "instrument");
  EXPECT_EQ(rows[1][0], "Lorvex");
  EXPECT_EQ(rows.back()[1], "2");    // record
  EXPECT_EQ(rows.back()[8], "512");  // index
  EXPECT_EQ(std::stof(rows.back()[9]), sim::SampleLorvexValue(1, 0, 511));
}

}  // namespace
}  // namespace travimo::testing
