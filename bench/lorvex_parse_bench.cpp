// Lorvex parse throughput on large transfers, next to a plain memcpy of the
// same buffer so the figures can be compared across machines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "formats/lorvex_parser.h"
#include <travimo/model/scan_state.h>
#include "sim/lorvex_encoder.h"

namespace {

constexpr int64_t kOneMegabyte = 1 << 20;
constexpr int64_t kTenMegabytes = 10 << 20;

class BenchContext : public travimo::ParseContext {
 public:
  travimo::ScanState& MutableState() override { return state_; }
  void LetTravimoType(int32_t value) override { state_.travimoType = value; }
  void LetScanNumber(int32_t value) override { travimo::SelectScan(state_, value); }
  travimo::RegionalSettings Regional() override { return {}; }

 private:
  travimo::ScanState state_;
};

// Full 512-value scans of random values until the transfer reaches the size.
std::string MakeTransfer(int64_t bytes) {
  std::mt19937 random(20240315);
  std::uniform_int_distribution<int> value(0, 4095);
  std::vector<travimo::sim::LorvexScan> scans;
  const int64_t recordLength = travimo::sim::kLorvexHeaderLength + travimo::sim::kLorvexDataLength;
  for (int64_t length = 4; length < bytes; length += recordLength) {
    travimo::sim::LorvexScan scan{'C', std::vector<uint16_t>(512)};
    for (uint16_t& v : scan.values) v = static_cast<uint16_t>(value(random));
    scans.push_back(std::move(scan));
  }
  return travimo::sim::EncodeLorvexTransfer(scans);
}

// Each parse gets its own copy of the transfer (the parser cuts what it has
// read). A fresh control measures the parse alone; a control holding the
// previous read also pays for releasing that read's records, as a second read does.
void RunParse(benchmark::State& state, bool previousRead) {
  const std::string transfer = MakeTransfer(state.range(0));
  auto control = std::make_unique<BenchContext>();
  for (auto _ : state) {
    state.PauseTiming();
    std::string text = transfer;
    if (!previousRead) control = std::make_unique<BenchContext>();
    state.ResumeTiming();
    benchmark::DoNotOptimize(travimo::ParseLorvexData(text, *control));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(transfer.size()));
  state.counters["scans"] = control->MutableState().numberOfScans;
}

void BM_LorvexParse(benchmark::State& state) {
  RunParse(state, false);
}
void BM_LorvexParseAfterRead(benchmark::State& state) {
  RunParse(state, true);
}

void BM_Memcpy(benchmark::State& state) {
  const std::string source = MakeTransfer(state.range(0));
  std::string target(source.size(), '\0');
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}

BENCHMARK(BM_LorvexParse)->Arg(kOneMegabyte)->Arg(kTenMegabytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LorvexParseAfterRead)
    ->Arg(kOneMegabyte)
    ->Arg(kTenMegabytes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy)->Arg(kOneMegabyte)->Arg(kTenMegabytes)->Unit(benchmark::kMillisecond);

// Keeps the byte rate of every run for the comparison printed at the end.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const auto rate = run.counters.find("bytes_per_second");
      if (run.error_occurred || rate == run.counters.end()) continue;
      bytesPerSecond_[run.benchmark_name()] = rate->second.value;
    }
  }

  void PrintComparison() const {
    for (const char* family : {"BM_LorvexParse", "BM_LorvexParseAfterRead"}) {
      for (const int64_t size : {kOneMegabyte, kTenMegabytes}) {
        const double parse = Rate(family, size);
        const double copy = Rate("BM_Memcpy", size);
        if (parse <= 0.0 || copy <= 0.0) continue;
        std::printf("%s %2lld MB: %8.1f MB/s, %6.1f times the time of memcpy\n", family,
                    static_cast<long long>(size / kOneMegabyte), parse / 1e6, copy / parse);
      }
      const double small = Rate(family, kOneMegabyte);
      const double large = Rate(family, kTenMegabytes);
      if (small > 0.0 && large > 0.0) {
        std::printf("%s per-byte cost at 10 MB / at 1 MB: %.2f\n", family, small / large);
      }
    }
  }

 private:
  double Rate(const std::string& family, int64_t size) const {
    const auto found = bytesPerSecond_.find(family + "/" + std::to_string(size));
    return found == bytesPerSecond_.end() ? 0.0 : found->second;
  }

  std::map<std::string, double> bytesPerSecond_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintComparison();
  benchmark::Shutdown();
  return 0;
}
