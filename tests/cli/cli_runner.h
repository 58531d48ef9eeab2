#pragma once
// Runs the built travimo binary as a user would: arguments in, standard output,
// standard error and exit status out. Standard input is /dev/null unless given.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/scratch_dir.h"

namespace travimo::testing {

struct CliRun {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

struct TimedSignal {
  std::chrono::milliseconds after;
  int number;
};

struct CliRunOptions {
  std::vector<TimedSignal> signals{};       // in order of time: SIGINT as a user's Ctrl-C
  std::optional<std::string> stdoutFile{};  // /dev/full, say; out is then left empty
  bool stdoutClosed = false;                // a pipe whose reader has gone
  std::string workingDirectory{};
  std::vector<std::string> environment{};  // NAME=value added to the test's own
  std::string input = "/dev/null";         // the file standard input reads
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The raw-data files (not their sidecars) a read kept under a state directory.
inline std::vector<std::string> KeptForRecovery(const std::string& stateHome) {
  std::vector<std::string> files;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(stateHome + "/travimo", ignored))
    if (entry.path().extension() == ".dat") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

inline CliRun RunCli(const std::vector<std::string>& args, const CliRunOptions& options = {}) {
  const ScratchDir io;
  const std::string out = options.stdoutFile.value_or(io / "out"), err = io / "err";
  // Reads the tests make are archived in a folder of this process, never the
  // user's; env lets the options' variables replace the inherited ones.
  static const ScratchDir dataHome;
  std::vector<std::string> all = {"/usr/bin/env", "XDG_DATA_HOME=" + dataHome.Path().string()};
  all.insert(all.end(), options.environment.begin(), options.environment.end());
  all.push_back(TRAVIMO_CLI_PATH);
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int closedPipe[2] = {-1, -1};
  if (options.stdoutClosed && pipe2(closedPipe, O_CLOEXEC) != 0) return {};
  close(closedPipe[0]);
  constexpr int kWrite = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
  const pid_t pid = fork();
  if (pid == 0) {  // nothing that allocates: the tests run threads
    dup2(open(options.input.c_str(), O_RDONLY | O_CLOEXEC), STDIN_FILENO);
    dup2(options.stdoutClosed ? closedPipe[1] : open(out.c_str(), kWrite, 0600), STDOUT_FILENO);
    dup2(open(err.c_str(), kWrite, 0600), STDERR_FILENO);
    const std::string& cwd = options.workingDirectory;
    if (cwd.empty() || chdir(cwd.c_str()) == 0) execv(argv[0], argv.data());
    _exit(127);
  }
  close(closedPipe[1]);
  CliRun run;
  if (pid < 0) return run;

  const auto start = std::chrono::steady_clock::now();
  size_t sent = 0;
  int wstatus = 0;
  while (waitpid(pid, &wstatus, WNOHANG) == 0) {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const auto& signals = options.signals;
    if (sent < signals.size() && elapsed >= signals[sent].after) kill(pid, signals[sent++].number);
    if (elapsed > std::chrono::seconds(30)) kill(pid, SIGKILL);  // a run that blocks fails
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  if (!options.stdoutFile && !options.stdoutClosed) run.out = ContentOf(out);
  run.err = ContentOf(err);
  return run;
}

// A run that must succeed.
inline CliRun Succeeds(const std::vector<std::string>& args, const CliRunOptions& options = {}) {
  CliRun run = RunCli(args, options);
  EXPECT_EQ(run.status, 0) << ::testing::PrintToString(args) << ": " << run.err;
  return run;
}

// Each part appears somewhere in the text.
inline void ExpectHas(const std::string& text, const std::vector<std::string>& parts) {
  for (const auto& part : parts) EXPECT_THAT(text, ::testing::HasSubstr(part));
}

// A run that must fail: its status, what standard error says, and no output.
struct Refusal {
  std::vector<std::string> args;
  int status;
  std::vector<std::string> told;
};

inline void ExpectRefusals(const std::vector<Refusal>& cases, const CliRunOptions& options = {}) {
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const CliRun run = RunCli(c.args, options);
    EXPECT_EQ(run.status, c.status) << run.err;
    ExpectHas(run.err, c.told);
    EXPECT_THAT(run.err, ::testing::Not(::testing::HasSubstr("exception")));
    EXPECT_EQ(run.out, "");
  }
}

// What tests/cli/read_export.py found in an export, read as its users read
// it (Python's csv and json modules, a plot's size); null when Python failed.
inline nlohmann::json ReadBack(const std::string& kind, const std::string& path,
                               const std::string& delimiter = ",") {
  const std::string found = path + ".found";
  const std::string command = "/usr/bin/python3 " TRAVIMO_SOURCE_DIR "/tests/cli/read_export.py " +
                              kind + " '" + path + "' '" + delimiter + "' > '" + found + "'";
  if (std::system(command.c_str()) != 0) return nullptr;
  return nlohmann::json::parse(ContentOf(found), nullptr, false);
}

}  // namespace travimo::testing
