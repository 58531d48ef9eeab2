#pragma once
// Runs the built travimo binary as a user would: arguments in, standard output,
// standard error and exit status out. Standard input is /dev/null unless given.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

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
  std::vector<TimedSignal> signals;  // in order of time: SIGINT as a user's Ctrl-C
  std::chrono::seconds timeout{60};
  std::optional<std::string> stdoutFile;  // /dev/full, say; out is then left empty
  bool stdoutClosed = false;              // a pipe whose reader has gone
  std::string workingDirectory;
  std::vector<std::string> environment;  // NAME=value added to the test's own
  std::string input = "/dev/null";       // the file standard input reads
};

// A directory of its own for one test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string name = (std::filesystem::temp_directory_path() / "travimo-cli-XXXXXX").string();
    EXPECT_NE(mkdtemp(name.data()), nullptr) << name;
    path_ = name;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
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
  const TempDir io;
  const std::string out = options.stdoutFile.value_or(io.File("out"));
  int closedPipe[2];
  if (options.stdoutClosed && pipe2(closedPipe, O_CLOEXEC) != 0) return {};
  if (options.stdoutClosed) close(closedPipe[0]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, options.input.c_str(), O_RDONLY, 0);
  if (options.stdoutClosed) {
    posix_spawn_file_actions_adddup2(&actions, closedPipe[1], STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, io.File("err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (!options.workingDirectory.empty())
    posix_spawn_file_actions_addchdir_np(&actions, options.workingDirectory.c_str());
  // Reads the tests make are archived in a folder of this process, never the
  // user's; env lets the options' variables replace the inherited ones.
  static const TempDir dataHome;
  std::vector<std::string> all = {"/usr/bin/env", "XDG_DATA_HOME=" + dataHome.File("")};
  all.insert(all.end(), options.environment.begin(), options.environment.end());
  all.push_back(TRAVIMO_CLI_PATH);
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, all[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (options.stdoutClosed) close(closedPipe[1]);
  CliRun run;
  if (spawned != 0) return run;

  const auto start = std::chrono::steady_clock::now();
  size_t sent = 0;
  int wstatus = 0;
  while (waitpid(pid, &wstatus, WNOHANG) == 0) {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const auto& signals = options.signals;
    if (sent < signals.size() && elapsed >= signals[sent].after) kill(pid, signals[sent++].number);
    if (elapsed > options.timeout) kill(pid, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  if (!options.stdoutFile && !options.stdoutClosed) run.out = ReadBytes(out);
  run.err = ReadBytes(io.File("err"));
  return run;
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
    for (const auto& text : c.told) EXPECT_THAT(run.err, ::testing::HasSubstr(text));
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
  return nlohmann::json::parse(ReadBytes(found), nullptr, false);
}

}  // namespace travimo::testing
