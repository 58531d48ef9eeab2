#pragma once
// Runs the built travimo binary as a user would: arguments in, standard output,
// standard error and exit status out. Standard input is /dev/null unless given.
#include <fcntl.h>
#include <poll.h>
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
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/simulator.h"

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
  std::optional<std::string> stdoutFile;  // instead of a pipe: /dev/full, say
  bool stdoutClosed = false;              // a pipe whose reader has gone
  std::string workingDirectory;
  std::vector<std::string> environment;  // NAME=value added to the test's own
  std::string input = "/dev/null";  // the file standard input reads
};

// Reads the tests make are archived in a folder of this process, never the user's.
class PrivateDataHome {
 public:
  PrivateDataHome()
      : path_(std::filesystem::temp_directory_path() /
              ("travimo-cli-data-" + std::to_string(getpid()))) {
    setenv("XDG_DATA_HOME", path_.c_str(), 1);
  }
  ~PrivateDataHome() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  PrivateDataHome(const PrivateDataHome&) = delete;
  PrivateDataHome& operator=(const PrivateDataHome&) = delete;

 private:
  std::filesystem::path path_;
};

inline CliRun RunCli(const std::vector<std::string>& args, const CliRunOptions& options = {}) {
  static const PrivateDataHome dataHome;
  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, options.input.c_str(), O_RDONLY, 0);
  if (options.stdoutFile) {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, options.stdoutFile->c_str(),
                                     O_WRONLY, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
  }
  if (options.stdoutClosed) close(outPipe[0]);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
  if (!options.workingDirectory.empty())
    posix_spawn_file_actions_addchdir_np(&actions, options.workingDirectory.c_str());
  // The options' variables replace inherited ones of the same name.
  std::vector<std::string> environment = options.environment;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry(*e);
    const auto name = entry.substr(0, entry.find('=') + 1);
    if (std::none_of(options.environment.begin(), options.environment.end(),
                     [&](const std::string& given) { return given.starts_with(name); })) {
      environment.emplace_back(entry);
    }
  }
  std::vector<char*> envp;
  for (auto& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  std::vector<std::string> all = {TRAVIMO_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);

  pid_t pid = -1;
  const int spawned =
      posix_spawn(&pid, TRAVIMO_CLI_PATH, &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(outPipe[1]);
  close(errPipe[1]);
  CliRun run;
  if (spawned != 0) {
    if (!options.stdoutClosed) close(outPipe[0]);
    close(errPipe[0]);
    return run;
  }

  const auto start = std::chrono::steady_clock::now();
  const std::vector<TimedSignal>& signals = options.signals;
  size_t sent = 0;
  const bool outOpen = !options.stdoutClosed;
  pollfd fds[2] = {{outOpen ? outPipe[0] : -1, POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  int open = outOpen ? 2 : 1;
  while (open > 0) {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (sent < signals.size() && elapsed >= signals[sent].after) kill(pid, signals[sent++].number);
    if (elapsed > options.timeout) kill(pid, SIGKILL);
    if (poll(fds, 2, 50) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t count = read(fds[i].fd, buffer, sizeof buffer);
      if (count > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(count));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  return run;
}

// A directory of its own for one test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("travimo-cli-" + std::to_string(getpid()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
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

// Rows of an RFC 4180 text: quoted fields, doubled quotes, line breaks inside quotes.
inline std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
    } else if (c == '\n') {
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
    } else if (c != '\r') {
      field += c;
    }
  }
  if (!field.empty() || !row.empty()) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return rows;
}

// A test that reads a simulated instrument through the tool.
class SimulatedReadTest : public ::testing::Test {
 protected:
  void Start(sim::Script script = {}) {
    simulator_ = std::make_unique<sim::Simulator>(script);
    simulator_->Start();
  }
  std::vector<std::string> Read(std::vector<std::string> extra) {
    std::vector<std::string> args = {"read", "--device", simulator_->SlavePath()};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  TempDir dir_;
  std::unique_ptr<sim::Simulator> simulator_;
};

}  // namespace travimo::testing
