// Look-ups per second into the two record classes the country column uses, and the time to open
// a full-size database. The databases come from bench/cache (see run-mmdb-bench).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "generator/country_column.h"
#include "mmdb/mmdb_geo_records.h"
#include "mmdb/mmdb_reader.h"

namespace korrin {
namespace {

const std::string kCity = KORRIN_BENCH_CACHE "/package/GeoLite2-City.mmdb";
const std::string kCountry = KORRIN_BENCH_CACHE "/package/GeoLite2-Country.mmdb";
constexpr int kAddresses = 1000000;

const std::vector<TMMDBIPAddress>& Addresses() {
  static const std::vector<TMMDBIPAddress> addresses = [] {
    std::mt19937 rng(12345);
    std::vector<TMMDBIPAddress> out;
    out.reserve(kAddresses);
    for (int i = 0; i < kAddresses; ++i) out.emplace_back(TIPv4{static_cast<uint32_t>(rng())});
    return out;
  }();
  return addresses;
}

// One pass over the million addresses per iteration, the record cleared before each look-up.
template <class T>
void FindRecords(benchmark::State& state, const std::string& path, int64_t readWholeLimit = kMMDBReadWholeLimit) {
  TMMDBReader reader(path, readWholeLimit);
  T record;
  int prefix;
  int64_t found = 0;
  for (auto _ : state) {
    for (const TMMDBIPAddress& address : Addresses()) {
      record.Clear();
      found += reader.FindRecord(address, prefix, record);
    }
    benchmark::DoNotOptimize(record);
  }
  state.counters["lookups/s"] =
      benchmark::Counter(double(kAddresses) * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["found"] = double(found) / double(state.iterations());
}

void BM_FindRecordCity(benchmark::State& state) { FindRecords<TMMDBIPCountryCityInfoEx>(state, kCity); }
void BM_FindRecordCountry(benchmark::State& state) { FindRecords<TMMDBIPCountryInfoEx>(state, kCountry); }
// Mapped, as a database above the bound is: the look-ups also look at the file now and then.
void BM_FindRecordCityMapped(benchmark::State& state) { FindRecords<TMMDBIPCountryCityInfoEx>(state, kCity, 0); }

// The engine's country column over the same addresses, looked up in address order as a run does,
// a fresh column (and so a fresh per-record memory) every pass.
void CountryColumn(benchmark::State& state, const std::string& path) {
  std::vector<TIPAddr> sorted;
  for (const TMMDBIPAddress& a : Addresses()) sorted.push_back(TIPAddr::FromIPv4(a._ipv4));
  std::sort(sorted.begin(), sorted.end(),
            [](const TIPAddr& a, const TIPAddr& b) { return a.ipv4.Value < b.ipv4.Value; });
  for (auto _ : state) {
    TCountryColumn column(path, {std::string(kCountryCodeField)});
    size_t coded = 0;
    for (const TIPAddr& a : sorted) coded += column.Of(a)[0].size();
    benchmark::DoNotOptimize(coded);
  }
  state.counters["lookups/s"] =
      benchmark::Counter(double(kAddresses) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_CountryColumnCity(benchmark::State& state) { CountryColumn(state, kCity); }
void BM_CountryColumnCountry(benchmark::State& state) { CountryColumn(state, kCountry); }
BENCHMARK(BM_CountryColumnCity)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_CountryColumnCountry)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_OpenCity(benchmark::State& state) {
  for (auto _ : state) {
    TMMDBReader reader(kCity);
    benchmark::DoNotOptimize(reader.Metadata().NodeCount());
  }
}

BENCHMARK(BM_FindRecordCity)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_FindRecordCountry)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_FindRecordCityMapped)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_OpenCity)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korrin

BENCHMARK_MAIN();
