// Arguments: usage errors end with status 2 and a message, never a crash;
// help, version and the informational commands.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include <nlohmann/json.hpp>

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
      {"read", "--device", ""},
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

TEST(CliUsage, UnknownCommandIsNamedWithTheCommands) {
  const CliRun run = RunCli({"raed", "--device", "/dev/ttyUSB0"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("unknown command 'raed'"), std::string::npos) << run.err;
  for (const char* command : {"read,", "demo,", "parse,", "ports,"}) {
    EXPECT_NE(run.err.find(command), std::string::npos) << run.err;
  }
}

TEST(CliUsage, ExitStatusesAreDocumentedOnceInTheMainHelp) {
  const CliRun main = RunCli({"--help"});
  EXPECT_EQ(main.status, 0);
  EXPECT_NE(main.out.find("Exit status"), std::string::npos) << main.out;
  EXPECT_NE(main.out.find("10  cancelled"), std::string::npos);
  for (const char* command : {"read", "parse", "demo"}) {
    const CliRun run = RunCli({command, "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find("Exit status"), std::string::npos) << command;
  }
}

// The installed completion script offers the commands and options the tool has.
TEST(CliUsage, BashCompletionOffersCommandsAndOptions) {
  const auto complete = [](const std::string& words, int index) {
    const std::string script = "shopt -s extglob; PATH=" +
                               std::filesystem::path(TRAVIMO_CLI_PATH).parent_path().string() +
                               ":$PATH; source " TRAVIMO_SOURCE_DIR
                               "/packaging/travimo.bash-completion; COMP_WORDS=(" + words +
                               "); COMP_CWORD=" + std::to_string(index) +
                               "; _travimo; echo \"${COMPREPLY[*]}\"";
    FILE* pipe = popen(("bash -c '" + script + "'").c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    if (pipe) pclose(pipe);
    return " " + out.substr(0, out.find('\n')) + " ";
  };
  const std::string commands = complete("travimo \"\"", 1);
  for (const char* command : {" read ", " demo ", " parse ", " ports ", " --help "}) {
    EXPECT_NE(commands.find(command), std::string::npos) << commands;
  }
  EXPECT_EQ(complete("travimo demo --la", 2), " --layout ");
  EXPECT_EQ(complete("travimo demo --layout w", 3), " wide ");
}

TEST(CliUsage, DashIsStandardInputAndOutput) {
  const std::string raw = std::string(TRAVIMO_SOURCE_DIR) + "/examples/ostrel-3-measurements.dat";
  CliRunOptions options;
  options.input = raw;
  const CliRun piped = RunCli({"parse", "-", "--format", "json", "-o", "-"}, options);
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.out, RunCli({"parse", raw, "--format", "json"}).out);
  EXPECT_FALSE(std::filesystem::exists("-"));
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
  const CliRun json = RunCli({"ports", "-v", "--format", "json"});
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_TRUE(nlohmann::json::parse(json.out).is_array()) << json.out;
}

}  // namespace
}  // namespace travimo::testing
