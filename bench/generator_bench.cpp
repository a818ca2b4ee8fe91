// The engine alone, without process start-up or output: where the CLI's time goes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "generator/generation_engine.h"

namespace korrin {
namespace {

void RunEngine(benchmark::State& state, const std::vector<std::string>& ranges, TGenerateCounts mode, int32_t count,
               bool random, const char* exclude) {
  for (auto _ : state) {
    TProgressCounters progress;
    TKorrinUtils engine(&progress);
    engine.IPRanges() = ranges;
    engine.SetGenerateCountMode(mode);
    engine.SetGenerateCount(count);
    engine.SetRandomOrder(random);
    engine.SetRandomSeed(1);
    if (exclude) {
      engine.SetDoExclude(true);
      engine.ExcludeMasks() = {exclude};
    }
    std::string result;
    engine.PerformGenerateIPList(result);
    benchmark::DoNotOptimize(engine.IPList().Text().data());
    state.counters["lines"] = static_cast<double>(engine.IPList().size());
  }
}

// 100 ranges of 2^24 addresses each: the sample's memory must not follow their size.
std::vector<std::string> HundredSlash8() {
  std::vector<std::string> ranges;
  for (int a = 1; a <= 100; ++a) ranges.push_back(std::to_string(a) + ".0.0.0/8");
  return ranges;
}

void BM_AllOf12(benchmark::State& s) { RunEngine(s, {"10.0.0.0/12"}, TGenerateCounts::gcAllCount, 0, false, nullptr); }
void BM_RandomMillionOf8(benchmark::State& s) {
  RunEngine(s, {"10.0.0.0/8"}, TGenerateCounts::gcTotalCount, 1000000, true, nullptr);
}
void BM_RandomMillionOf100Slash8(benchmark::State& s) {
  RunEngine(s, HundredSlash8(), TGenerateCounts::gcTotalCount, 1000000, true, nullptr);
}
void BM_RandomMillionOf8ExcludingDotZero(benchmark::State& s) {
  RunEngine(s, {"10.0.0.0/8"}, TGenerateCounts::gcTotalCount, 1000000, true, "*.0");
}
void BM_RandomMillionOfV6Slash64(benchmark::State& s) {
  RunEngine(s, {"fd00::/64"}, TGenerateCounts::gcTotalCount, 1000000, true, nullptr);
}
void BM_ExcludeDotZeroOf12(benchmark::State& s) {
  RunEngine(s, {"10.0.0.0/12"}, TGenerateCounts::gcAllCount, 0, false, "*.0");
}
BENCHMARK(BM_AllOf12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RandomMillionOf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RandomMillionOf100Slash8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RandomMillionOf8ExcludingDotZero)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RandomMillionOfV6Slash64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExcludeDotZeroOf12)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korrin
