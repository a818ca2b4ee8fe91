// The engine alone, without process start-up or output: where the CLI's time goes.
#include <benchmark/benchmark.h>

#include "generator/generation_engine.h"

namespace korrin {
namespace {

void RunEngine(benchmark::State& state, const char* range, TGenerateCounts mode, int32_t count, bool random,
               const char* exclude) {
  for (auto _ : state) {
    TProgressCounters progress;
    TKorrinUtils engine(&progress);
    engine.IPRanges() = {range};
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

void BM_AllOf12(benchmark::State& s) { RunEngine(s, "10.0.0.0/12", TGenerateCounts::gcAllCount, 0, false, nullptr); }
void BM_RandomMillionOf8(benchmark::State& s) {
  RunEngine(s, "10.0.0.0/8", TGenerateCounts::gcTotalCount, 1000000, true, nullptr);
}
void BM_ExcludeDotZeroOf12(benchmark::State& s) {
  RunEngine(s, "10.0.0.0/12", TGenerateCounts::gcAllCount, 0, false, "*.0");
}
BENCHMARK(BM_AllOf12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RandomMillionOf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExcludeDotZeroOf12)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korrin
