// Arguments: usage errors end with status 2 and a message, never a crash;
// help, version and the informational commands.
#include <gtest/gtest.h>

#include "cli/cli_runner.h"

namespace travimo::testing {
namespace {

TEST(CliUsage, BadArgumentsAreUsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"read", "--port", "abc"},
      {"read", "--port", "0"},
      {"read", "--type", "quenta"},
      {"read", "--port", "1", "--device", "/dev/ttyUSB0"},
      {"read", "--settings", "9600,q,8,1"},
      {"read", "--format", "xml"},
      {"read", "--points", "100"},
      {"demo", "--scans", "0"},
      {"parse"},
      {"parse", "/nonexistent/raw.dat"},
      {"ports", "--extra"},
  };
  for (const auto& args : cases) {
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    SCOPED_TRACE(joined);
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(run.err.empty());
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
}

TEST(CliUsage, HelpDocumentsTheExitStatuses) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {"read", "--help"}, {"parse", "--help"}}) {
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Exit status"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("10  cancelled"), std::string::npos);
  }
}

TEST(CliUsage, VersionIsTheAboutPagesLine) {
  const CliRun run = RunCli({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Version 1.01.7\n");
  const CliRun about = RunCli({"about"});
  EXPECT_EQ(about.status, 0);
  EXPECT_NE(about.out.find("Version 1.01.7"), std::string::npos);
  EXPECT_NE(about.out.find("From Lorvex, Brevane & Quenta"), std::string::npos) << about.out;
}

TEST(CliUsage, DescribeShowsMembersEventsAndEnumerations) {
  const CliRun run = RunCli({"describe"});
  ASSERT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("ScanDataType"), std::string::npos);
  EXPECT_NE(run.out.find("\"Returns Number of scans read from the Lorvex\""), std::string::npos);
  // NumberOfScans is hidden from a property browser.
  const auto scans = run.out.find("NumberOfScans");
  ASSERT_NE(scans, std::string::npos);
  EXPECT_NE(run.out.substr(scans, 120).find("[hidden]"), std::string::npos);
  EXPECT_NE(run.out.find("TravimoError"), std::string::npos);
  EXPECT_NE(run.out.find("Max 512"), std::string::npos);
  EXPECT_NE(run.out.find("InvalidBrevaneDataError"), std::string::npos);
}

TEST(CliUsage, PortsListsWithoutFailing) {
  const CliRun run = RunCli({"ports"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(run.out.empty());
}

}  // namespace
}  // namespace travimo::testing
