// The settings file with many stored sets: saving, loading, and the look-ups after a load.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "settings/settings_file.h"

namespace korrin {
namespace {

constexpr int kSets = 1000;

// 1,000 stored sets of 40 lines each, beside the window's own choices.
void MakeSettings(TKorrinSettings& choices, TStoredSettingsList& stored) {
  for (int i = 0; i < 13; ++i) choices.IPRanges.push_back("10." + std::to_string(i) + ".0.0/16");
  for (int i = 0; i < kSets; ++i) {
    choices.TotalCount = std::to_string(i);
    StoreSettings(stored, "Set " + std::to_string(i), choices);
  }
}

class TBenchFolder {
 public:
  TBenchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korrin-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    FPath = pattern;
  }
  ~TBenchFolder() { std::filesystem::remove_all(FPath); }
  std::string File() const { return FPath + "/korrin2.ini"; }

 private:
  std::string FPath;
};

void BM_SaveSettingsFile(benchmark::State& state) {
  TBenchFolder folder;
  TKorrinSettings choices;
  TStoredSettingsList stored;
  MakeSettings(choices, stored);
  for (auto _ : state) SaveSettings(folder.File(), choices, stored);
  state.counters["lines_per_set"] = stored.GetSettings(0).Settings().Count();
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(folder.File()));
}

void BM_LoadSettingsFile(benchmark::State& state) {
  TBenchFolder folder;
  TKorrinSettings choices;
  TStoredSettingsList stored;
  MakeSettings(choices, stored);
  SaveSettings(folder.File(), choices, stored);
  for (auto _ : state) {
    TKorrinSettings loaded;
    TStoredSettingsList loaded_stored;
    LoadSettings(folder.File(), loaded, loaded_stored);
    benchmark::DoNotOptimize(loaded_stored.Count());
  }
}

// Many small stored sets, as a user who keeps one per customer has them: loading is linear in
// their number (100,000 once took 44 s, each set's name being looked for among all before it).
void BM_LoadManyStoredSets(benchmark::State& state) {
  TBenchFolder folder;
  TStoredSettingsList stored;
  for (int64_t i = 0; i < state.range(0); ++i)
    stored.Add(std::make_unique<TStoredSettings>("Set " + std::to_string(i))).Settings().Add("Mode=1");
  SaveSettings(folder.File(), TKorrinSettings(), stored);
  for (auto _ : state) {
    TKorrinSettings loaded;
    TStoredSettingsList loadedStored;
    LoadSettings(folder.File(), loaded, loadedStored);
    benchmark::DoNotOptimize(loadedStored.Count());
  }
  state.SetComplexityN(state.range(0));
}

// Building the file's lines in memory: every value written by name, without disk work.
void BM_SettingsToList(benchmark::State& state) {
  TKorrinSettings choices;
  TStoredSettingsList stored;
  MakeSettings(choices, stored);
  for (auto _ : state) {
    TVHashedStringList list(256);
    SaveSettingsToList(choices, list);
    stored.SaveToList(list, kStoredSettingsName, kSettingName);
    benchmark::DoNotOptimize(list.Count());
    state.counters["rebuilds"] = list.HashRebuilds();
  }
}

// A look-up right after the text was replaced: the first pays one rebuild, the rest are cheap.
void BM_LookUpsAfterSetText(benchmark::State& state) {
  TKorrinSettings choices;
  TStoredSettingsList stored;
  MakeSettings(choices, stored);
  TVHashedStringList source(256);
  stored.SaveToList(source, kStoredSettingsName, kSettingName);
  const std::string text = source.Text();
  const int64_t lookups = state.range(0);
  for (auto _ : state) {
    TVHashedStringList list(256);
    list.SetText(text);
    for (int64_t i = 0; i < lookups; ++i)
      benchmark::DoNotOptimize(list.IndexOfName("StoredList" + std::to_string(i % kSets + 1) + ".Name"));
    state.counters["rebuilds"] = list.HashRebuilds();
  }
  state.counters["lines"] = static_cast<double>(source.Count());
}

BENCHMARK(BM_SaveSettingsFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSettingsFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadManyStoredSets)->Arg(10000)->Arg(100000)->Complexity()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettingsToList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookUpsAfterSetText)->Arg(1)->Arg(1000)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korrin
