// Throughput of the reverse lookup batch against a local dnsmasq with one and with 64 queries in
// flight, through a proxy that holds every reply back 20 ms (a resolver on a real network), and
// how long a batch takes when its server never answers.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "dns/reverse_lookup.h"
#include "tests/dns/delaying_proxy.h"
#include "tests/dns/dnsmasq_process.h"
#include "tests/support/silent_server.h"

namespace korrin {
namespace {

// 10.0.0.0 onwards; only the first 256 have a record, the rest get a name error.
std::vector<std::string> Addresses(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back("10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256));
  return lines;
}

// One dnsmasq for every benchmark of the run.
const test::TDnsmasqProcess& Dnsmasq() {
  static const auto dnsmasq = std::make_unique<test::TDnsmasqProcess>(test::NumberedPtrRecords(256));
  return *dnsmasq;
}

void RunBatches(benchmark::State& state, const std::string& server, int parallel, int count) {
  const std::vector<std::string> lines = Addresses(count);
  TReverseLookup batch;
  batch.Options().Parallel = parallel;
  int resolved = 0, unresolved = 0;
  TReverseLookupEvents events;
  events.OnResolved = [&](const std::string&) { ++resolved; };
  events.OnUnresolved = [&](const std::string&, TLookupReason) { ++unresolved; };
  batch.SetEvents(events);
  for (auto _ : state) batch.Lookup(lines, {server});
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["resolved"] = resolved / static_cast<double>(state.iterations());
  state.counters["unresolved"] = unresolved / static_cast<double>(state.iterations());
}

// Args: queries in flight.
void BM_BatchAgainstDnsmasq(benchmark::State& state) {
  if (!Dnsmasq().Ready()) return state.SkipWithError(Dnsmasq().Problem().c_str());
  RunBatches(state, test::TDnsmasqProcess::kAddress, static_cast<int>(state.range(0)), 10000);
}
BENCHMARK(BM_BatchAgainstDnsmasq)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

// Args: queries in flight, addresses. One at a time is timed on fewer addresses: 2,200 would
// take 44 s a run.
void BM_BatchThrough20msProxy(benchmark::State& state) {
  if (!Dnsmasq().Ready()) return state.SkipWithError(Dnsmasq().Problem().c_str());
  const test::TDelayingProxy proxy(test::TDnsmasqProcess::kAddress, 53, [](const std::string&, int) {
    return test::TProxyVerdict{false, std::chrono::milliseconds(20)};
  });
  RunBatches(state, proxy.Address(), static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
}
BENCHMARK(BM_BatchThrough20msProxy)
    ->Args({64, 2200})
    ->Args({1, 100})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// A bound socket that never reads: every query waits out its time.
void BM_BatchAgainstSilentServer(benchmark::State& state) {
  const test::TSilentServer silent;
  TReverseLookup batch;
  batch.Options().WaitingTime = static_cast<int32_t>(state.range(0));
  batch.Options().Retries = 0;
  const std::vector<std::string> lines = Addresses(20);
  for (auto _ : state) batch.Lookup(lines, {silent.Address()});
}
BENCHMARK(BM_BatchAgainstSilentServer)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace korrin
