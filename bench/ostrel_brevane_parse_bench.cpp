// Ostrel and Brevane parse throughput on 1 MB and 10 MB transfers, with the
// ratio to a memcpy of the same buffer measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "formats/brevane_parser.h"
#include "formats/ostrel_parser.h"
#include <travimo/model/enums.h>
#include "sim/brevane_encoder.h"
#include "sim/ostrel_encoder.h"

namespace {

using travimo::ParseContext;
using travimo::RegionalSettings;
using travimo::ScanState;

class BenchContext : public ParseContext {
 public:
  ScanState& MutableState() override { return state_; }
  void LetTravimoType(int32_t value) override {
    state_.travimoType = value;
    state_.numberOfPoints = state_.pointLimit = travimo::NoLimit;
  }
  void LetScanNumber(int32_t value) override { travimo::SelectScan(state_, value); }
  RegionalSettings Regional() override { return {}; }

 private:
  ScanState state_;
};

std::string OstrelTransfer(size_t bytes, size_t pointsPerScan) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> value(0, 9999);
  std::vector<travimo::sim::OstrelMeasurement> measurements;
  size_t size = 0;
  while (size < bytes) {
    travimo::sim::OstrelMeasurement m;
    m.calibrationConstantA = "A1234";
    m.year = 24;
    m.month = 3;
    m.day = 15;
    for (int s = 0; s < 4; ++s) {
      m.scans.emplace_back();
      for (size_t p = 0; p < pointsPerScan; ++p) {
        m.scans.back().push_back(travimo::sim::OstrelPointText(value(random)));
      }
      size += 4 * pointsPerScan + 5;
    }
    size += 30;
    measurements.push_back(std::move(m));
  }
  return travimo::sim::EncodeOstrel(measurements);
}

std::string BrevaneTransfer(size_t bytes) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> value(0, 99999);
  std::vector<travimo::sim::BrevaneMeasurement> measurements;
  size_t size = 0;
  while (size < bytes) {
    travimo::sim::BrevaneMeasurement m;
    m.idCode = "LOT 42";
    m.dateTime = "03/15/2024 10:30:00";
    m.basisWeightUnit = "g/m2";
    for (int i = 0; i < 400; ++i) m.moisture.push_back(static_cast<float>(value(random)) / 100);
    for (int i = 0; i < 100; ++i) m.skipped.push_back(static_cast<float>(value(random)) / 100);
    size += 500 * 7 + 150;
    measurements.push_back(std::move(m));
  }
  return travimo::sim::EncodeBrevane(measurements);
}

double SecondsPerMemcpy(const std::string& text) {
  std::vector<char> target(text.size());
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const auto start = std::chrono::steady_clock::now();
    std::memcpy(target.data(), text.data(), text.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
    best = std::min(
        best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

template <class Parse>
void RunParse(benchmark::State& state, const std::string& text, Parse parse) {
  const double memcpySeconds = SecondsPerMemcpy(text);
  BenchContext control;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    benchmark::DoNotOptimize(parse(text, control));
  }
  const double perParse =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
      static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  // How many times slower than copying the same bytes.
  state.counters["x_memcpy"] = perParse / memcpySeconds;
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}

void BM_OstrelParse(benchmark::State& state) {
  const std::string text = OstrelTransfer(static_cast<size_t>(state.range(0)) << 20,
                                          static_cast<size_t>(state.range(1)));
  RunParse(state, text, travimo::ParseOstrelData);
}
BENCHMARK(BM_OstrelParse)
    ->Args({1, 500})
    ->Args({10, 500})
    ->Args({10, 2})  // many tiny scans
    ->Unit(benchmark::kMillisecond);

void BM_BrevaneParse(benchmark::State& state) {
  const std::string text = BrevaneTransfer(static_cast<size_t>(state.range(0)) << 20);
  RunParse(state, text, travimo::ParseBrevaneData);
}
BENCHMARK(BM_BrevaneParse)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
