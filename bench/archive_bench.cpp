// The archive's costs: keeping a 3-scan Lorvex read, listing the history of
// 100,000 reads (the store's query and the whole `travimo history`), and
// the file's size against the bytes and points it keeps.
//
//   archive_bench [DIR]   (default: a folder under $TMPDIR)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive_store.h"
#include "archive/read_entry.h"
#include "archive/sqlite_db.h"
#include <travimo/control/travimo.h>
#include "platform/posix/device_backend.h"
#include <travimo/platform/posix/posix_file_system.h>
#include <travimo/platform/posix/posix_host.h>
#include <travimo/platform/simple_container.h>
#include "sim/lorvex_encoder.h"
#include "sim/simulator.h"

namespace {

namespace fs = std::filesystem;
using namespace travimo;
using Clock = std::chrono::steady_clock;

constexpr int kAdds = 300;
constexpr int kHistoryReads = 100'000;
constexpr int kHistoryRuns = 7;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Percentile(std::vector<double> values, double at) {
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(at * static_cast<double>(values.size() - 1))];
}

// The entry a `travimo read` of three full scans keeps.
archive::ReadEntry ThreeScanRead() {
  posix::PosixHost host;
  posix::PosixFileSystem files;
  posix::DeviceBackend serial;
  SimpleContainer container;
  Travimo control(ControlSite{container, host, files, serial});
  control.InitProperties();
  const std::string text = sim::EncodeLorvexTransfer(sim::SampleLorvexScans(3, 0, 512));
  control.DecodeTransfer(text);
  const int64_t now = archive::NowUtcMs();
  archive::ReadEntry entry =
      archive::EntryOfRead(control, text, CollectResults(control), 0, now, now + 3000);
  entry.source = "read";
  entry.device = "/dev/ttyUSB0";
  return entry;
}

int64_t Points(const ReadResults& results) {
  int64_t points = 0;
  for (const auto& scan : results.lorvex) {
    for (const auto& series : {scan.record->cScanData(), scan.record->cScanTemp(),
                               scan.record->cScanBurst()}) {
      if (series) points += series->ScanData().Size();
    }
  }
  return points;
}

void Adds(const fs::path& dir, const archive::ReadEntry& entry) {
  const fs::path file = dir / "adds.sqlite";
  auto store = archive::OpenSqliteArchive(file);
  std::vector<double> times;
  for (int i = 0; i < kAdds; ++i) {
    const auto start = Clock::now();
    store->Add(entry);
    times.push_back(Milliseconds(Clock::now() - start));
  }
  std::printf("archive add 3-scan reads %d median %.2f ms p90 %.2f ms\n", kAdds,
              Percentile(times, 0.5), Percentile(times, 0.9));
  store.reset();
  archive::Connection db(file.string(), false, 1000);
  db.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
  const auto bytes = static_cast<double>(fs::file_size(file));
  const double kept = static_cast<double>(kAdds) * static_cast<double>(entry.raw.size() +
                                                                        4 * Points(entry.results));
  std::printf("archive size reads %d file %.0f bytes raw-plus-points %.0f bytes ratio %.3f\n",
              kAdds, bytes, kept, bytes / kept);
}

// Real reads, then copies of their rows until there are kHistoryReads, each
// a minute later than the last: a history far longer than anyone keeps.
fs::path LongHistory(const fs::path& dir, const archive::ReadEntry& entry) {
  const fs::path file = dir / "history.sqlite";
  {
    auto store = archive::OpenSqliteArchive(file);
    for (int i = 0; i < 10; ++i) store->Add(entry);
  }
  archive::Connection db(file.string(), false, 1000);
  db.Execute("BEGIN");
  const std::string columns =
      "ended_utc_ms, utc_offset_min, program_version, source, device, port, line_settings, "
      "type_asked, parser, scan_data_type, temp_units, number_of_points, blue_line_trigger, "
      "array_start, result_data_type, result_temp_units, error_number, error_name, "
      "error_description, record_count, raw_length, raw_sha256, parent_id";
  for (;;) {
    archive::Statement count(db, "SELECT COUNT(*), MAX(started_utc_ms) FROM reads");
    count.Step();
    const int64_t have = count.Int(0);
    if (have >= kHistoryReads) break;
    db.Execute("INSERT INTO reads (started_utc_ms, " + columns + ") SELECT started_utc_ms + " +
               std::to_string(count.Int(1) + 60'000) + ", " + columns +
               " FROM reads ORDER BY id LIMIT " + std::to_string(kHistoryReads - have));
  }
  db.Execute("COMMIT");
  return file;
}

// The process's own CPU time, which other work on a busy machine does not inflate.
double CpuMilliseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The exit status, and the child's CPU time (user and system) in cpuMs.
int RunQuietly(const std::string& program, const std::vector<std::string>& args, double& cpuMs) {
  std::fflush(stdout);  // or the child's copy of the buffer is printed again
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  cpuMs = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
          static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void History(const fs::path& file) {
  auto store = archive::OpenSqliteArchive(file);
  std::vector<double> query;
  std::vector<double> queryCpu;
  size_t lines = 0;
  for (int i = 0; i < kHistoryRuns; ++i) {
    lines = 0;
    const double cpu = CpuMilliseconds();
    const auto start = Clock::now();
    store->VisitHistory({}, [&lines](const archive::ReadSummary&) { ++lines; });
    query.push_back(Milliseconds(Clock::now() - start));
    queryCpu.push_back(CpuMilliseconds() - cpu);
  }
  std::vector<double> command;
  std::vector<double> commandCpu;
  const std::string cli = TRAVIMO_CLI_PATH;
  for (int i = 0; !cli.empty() && i < kHistoryRuns; ++i) {
    double cpu = 0;
    const auto start = Clock::now();
    if (RunQuietly(cli, {"history", "--archive", file.string()}, cpu) != 0) return;
    command.push_back(Milliseconds(Clock::now() - start));
    commandCpu.push_back(cpu);
  }
  std::printf(
      "archive history reads %zu query median %.1f ms cpu %.1f ms command median %.1f ms cpu "
      "%.1f ms\n",
      lines, Percentile(query, 0.5), Percentile(queryCpu, 0.5),
      command.empty() ? -1.0 : Percentile(command, 0.5),
      commandCpu.empty() ? -1.0 : Percentile(commandCpu, 0.5));
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path dir = argc > 1 ? fs::path(argv[1])
                                : fs::temp_directory_path() /
                                      ("travimo-archive-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const archive::ReadEntry entry = ThreeScanRead();
  Adds(dir, entry);
  History(LongHistory(dir, entry));
  if (argc <= 1) fs::remove_all(dir);
  return 0;
}
