// Peak resident memory of `travimo parse` for each kind of input, against the
// target of 8 MB plus 6 bytes per input byte. Prints one line per class and size:
// "memory <class> <bytes> peak <MB> per-byte <ratio> target <MB> ok|OVER".
//
//   parse_memory_bench [path/to/travimo] [megabytes...]   default 1 and 16
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <travimo/model/enums.h>
#include "sim/simulator.h"

extern char** environ;

namespace {

using namespace travimo;

constexpr double kMB = 1024.0 * 1024.0;
constexpr double kTargetFloor = 8 * kMB;
constexpr double kTargetPerByte = 6.0;

struct InputClass {
  const char* name;
  std::function<std::string(size_t)> make;  // about this many bytes
};

// Repeats unit between head and tail until the text holds about `size` bytes.
std::string Flood(const std::string& head, const std::string& unit, const std::string& tail,
                  size_t size) {
  std::string text = head;
  text.reserve(size + unit.size() + tail.size());
  while (text.size() + tail.size() < size) text += unit;
  return text + tail;
}

// Whole transfers of a simulated instrument, as many as fill `size`.
std::string Transfer(sim::Mode mode, size_t points, size_t size) {
  const std::string one = sim::DefaultTransfer({mode, Moisture, 1, points, true});
  const int count = static_cast<int>(size / one.size()) + 1;
  return sim::DefaultTransfer({mode, Moisture, count, points, true});
}

std::string RandomBytes(size_t size) {
  std::string text(size, '\0');
  uint64_t x = 88172645463325252ull;
  for (char& c : text) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    c = static_cast<char>(x >> 56);
  }
  if (!text.empty() && text[0] == 'S') text[0] = 's';
  return text;
}

const std::vector<InputClass>& Classes() {
  static const std::vector<InputClass> classes = {
      {"lorvex", [](size_t n) { return Transfer(sim::Mode::Lorvex, 512, n); }},
      {"ostrel", [](size_t n) { return Transfer(sim::Mode::Ostrel, 500, n); }},
      {"brevane", [](size_t n) { return Transfer(sim::Mode::Brevane, 500, n); }},
      {"random", RandomBytes},
      // Header-only Lorvex records, 15 characters each. (The "No Limit" point
      // count that makes them 128 kB each is refused for a Lorvex parse here;
      // reads of another instrument type reach it, and the parser tests cover it.)
      {"p-flood", [](size_t n) { return Flood("\r\n\r\n", "P01C23456789012", "##", n); }},
      // One-point Ostrel scans, 9 characters each.
      {"ostrel-flood",
       [](size_t n) { return Flood("SA1234B5678001.000122312311200", "   1P0000", "E", n); }},
      // One-value Brevane measurements, 4 characters each.
      {"brevane-flood", [](size_t n) { return Flood("S\r00# F\r", "1\rZ\r", "E\r", n); }},
  };
  return classes;
}

// Runs the command and returns its peak resident set in bytes (-1 when it
// could not run) and its exit status. A child's peak includes that of the
// process it was spawned from, so the measuring is done from a fresh, small
// process (--peak-of), never from this one with its generated inputs.
std::pair<double, int> PeakOfCommand(char** command) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, command[0], &actions, nullptr, command, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return {-1.0, -1};
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  return {static_cast<double>(usage.ru_maxrss) * 1024.0,
          WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
}

std::pair<double, int> PeakOfParse(const std::string& travimo, const std::string& file) {
  const std::string command =
      "/proc/" + std::to_string(getpid()) + "/exe --peak-of " + travimo + " parse " + file;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1.0, -1};
  double peak = -1.0;
  int status = -1;
  if (std::fscanf(pipe, "%lf %d", &peak, &status) != 2) peak = -1.0;
  ::pclose(pipe);
  return {peak, status};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::string(argv[1]) == "--peak-of") {
    const auto [peak, status] = PeakOfCommand(argv + 2);
    std::printf("%.0f %d\n", peak, status);
    return 0;
  }
#ifdef TRAVIMO_CLI_PATH
  std::string travimo = TRAVIMO_CLI_PATH;
#else
  std::string travimo = "travimo";
#endif
  std::vector<double> sizes;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.find('/') != std::string::npos) {
      travimo = arg;
    } else {
      sizes.push_back(std::atof(arg.c_str()));
    }
  }
  if (sizes.empty()) sizes = {1, 16};

  const std::string file = (std::filesystem::temp_directory_path() /
                            ("travimo-memory-" + std::to_string(getpid()) + ".dat"))
                               .string();
  bool allWithin = true;
  for (const double megabytes : sizes) {
    for (const InputClass& input : Classes()) {
      const std::string text = input.make(static_cast<size_t>(megabytes * kMB));
      std::ofstream(file, std::ios::binary) << text;
      const auto [peak, status] = PeakOfParse(travimo, file);
      if (peak < 0) {
        std::fprintf(stderr, "parse_memory_bench: cannot run %s\n", travimo.c_str());
        return 2;
      }
      const double bytes = static_cast<double>(text.size());
      const double target = kTargetFloor + kTargetPerByte * bytes;
      allWithin = allWithin && peak <= target;
      std::printf("memory %s %zu peak %.1f per-byte %.2f target %.1f status %d %s\n", input.name,
                  text.size(), peak / kMB, peak / bytes, target / kMB, status,
                  peak <= target ? "ok" : "OVER");
      std::fflush(stdout);
    }
  }
  std::filesystem::remove(file);
  return allWithin ? 0 : 1;
}
