// The sample raw-data files in examples/: made once from the simulator's
// sample records (set TRAVIMO_WRITE_EXAMPLES=1 to make them again) and kept
// as data, so they must stay readable by `parse`.
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

struct Example {
  std::string file;
  sim::Mode mode;
  std::string instrument;
};

const std::vector<Example> kExamples = {
    {"lorvex-3-scans.dat", sim::Mode::Lorvex, "Lorvex"},
    {"ostrel-3-measurements.dat", sim::Mode::Ostrel, "Ostrel"},
    {"brevane-3-measurements.dat", sim::Mode::Brevane, "Brevane"},
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

TEST(CliExamples, EveryExampleParsesIntoThreeRecords) {
  for (const auto& example : kExamples) {
    SCOPED_TRACE(example.file);
    const CliRun run = RunCli({"parse", ExamplePath(example), "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto doc = nlohmann::json::parse(run.out);
    EXPECT_EQ(doc["instrument"], example.instrument);
    EXPECT_EQ(doc["count"], 3);
  }
}

}  // namespace
}  // namespace travimo::testing
