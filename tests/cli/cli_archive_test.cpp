// Reads kept in the archive, and a broken archive that never costs the read.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_runner.h"

namespace travimo::testing {
namespace {

TEST(CliArchive, ADemoReadIsKeptAndShownAsItWasPrinted) {
  const TempDir dir;
  const std::string archive = dir.File("a.sqlite");
  const CliRun demo =
      RunCli({"demo", "--type", "brevane", "--format", "json", "--archive", archive});
  if (demo.err.find("unsupported") != std::string::npos) GTEST_SKIP() << demo.err;
  ASSERT_EQ(demo.status, 0) << demo.err;
  EXPECT_NE(demo.err.find("Archived as read 1 in " + archive), std::string::npos) << demo.err;

  const CliRun show = RunCli({"show", "1", "--format", "json", "--archive", archive});
  EXPECT_EQ(show.status, 0) << show.err;
  EXPECT_EQ(show.out, demo.out);

  const CliRun history =
      RunCli({"history", "--format", "csv", "--type", "brevane", "--archive", archive});
  EXPECT_EQ(history.status, 0) << history.err;
  EXPECT_NE(history.out.find("\r\n1,"), std::string::npos) << history.out;
  EXPECT_NE(history.out.find(",Brevane,"), std::string::npos) << history.out;

  EXPECT_EQ(RunCli({"archive", "check", "--archive", archive}).status, 0);
  EXPECT_NE(RunCli({"show", "2", "--archive", archive}).status, 0);             // no such read
  EXPECT_EQ(RunCli({"demo", "--no-archive", "--archive", archive}).status, 2);  // contradictory
}

// The bytes are kept exactly: decoded again they give the read's records, and
// with other settings a new entry that names the read.
TEST(CliArchive, AReadIsDecodedAgainFromItsBytes) {
  const TempDir dir;
  const std::string archive = dir.File("a.sqlite");
  const CliRun demo = RunCli({"demo", "--scans", "1", "--format", "json", "--archive", archive});
  if (demo.err.find("unsupported") != std::string::npos) GTEST_SKIP() << demo.err;
  ASSERT_EQ(demo.status, 0) << demo.err;
  const CliRun same = RunCli({"reparse", "1", "--format", "json", "--archive", archive});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, demo.out);

  const CliRun hot = RunCli({"reparse", "1", "--data", "temperature", "--units", "fahrenheit",
                             "--format", "csv", "--save", "--archive", archive});
  EXPECT_EQ(hot.status, 0) << hot.err;
  EXPECT_NE(hot.err.find("Archived as read 2 in " + archive), std::string::npos) << hot.err;
  EXPECT_NE(hot.out, RunCli({"show", "1", "--format", "csv", "--archive", archive}).out);
  EXPECT_EQ(RunCli({"show", "2", "--format", "csv", "--archive", archive}).out, hot.out);
  const auto history = nlohmann::json::parse(
      RunCli({"history", "--format", "json", "--archive", archive}).out);
  ASSERT_EQ(history.size(), 2u);
  EXPECT_EQ(history[1]["source"], "reparse");
  EXPECT_EQ(history[1]["parent"], 1);
  EXPECT_EQ(history[1]["time"], history[0]["time"]);  // the same read, decoded anew

  const CliRun forced = RunCli({"reparse", "1", "--type", "brevane", "--archive", archive});
  EXPECT_NE(forced.status, 0);
  EXPECT_NE(forced.err.find("error "), std::string::npos) << forced.err;
  EXPECT_EQ(RunCli({"reparse", "9", "--archive", archive}).status, 11);  // no such read
}

// The read is delivered either way; only a named archive changes the status.
TEST(CliArchive, AnUnusableArchiveNeverCostsTheRead) {
  const TempDir dir;
  const std::string corrupt = dir.File("corrupt.sqlite");
  WriteBytes(corrupt, std::string(4096, 'x'));
  const std::string home = dir.File("home");
  std::filesystem::create_directories(home + "/travimo");
  WriteBytes(home + "/travimo/archive.sqlite", std::string(4096, 'x'));

  const CliRun named = RunCli({"demo", "--scans", "1", "--format", "csv", "--archive", corrupt});
  EXPECT_EQ(named.status, 9);
  EXPECT_NE(named.out.find("Lorvex,1,"), std::string::npos) << named.out;
  EXPECT_NE(named.err.find(corrupt), std::string::npos) << named.err;
  EXPECT_NE(named.err.find("error 75"), std::string::npos) << named.err;

  const std::string saved = std::getenv("XDG_DATA_HOME");
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  const CliRun byDefault = RunCli({"demo", "--scans", "1", "--format", "csv"});
  setenv("XDG_DATA_HOME", saved.c_str(), 1);
  EXPECT_EQ(byDefault.status, 0) << byDefault.err;
  EXPECT_NE(byDefault.out.find("Lorvex,1,"), std::string::npos) << byDefault.out;
  EXPECT_NE(byDefault.err.find("not archived"), std::string::npos) << byDefault.err;
}

}  // namespace
}  // namespace travimo::testing
