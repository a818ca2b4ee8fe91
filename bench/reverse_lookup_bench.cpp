// Throughput of the reverse lookup batch against a local dnsmasq, and how long a batch takes
// when its server never answers.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "dns/reverse_lookup.h"
#include "tests/dns/dnsmasq_process.h"

namespace korrin {
namespace {

// 10.0.0.0 onwards; only the first 256 have a record, the rest get a name error.
std::vector<std::string> Addresses(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back("10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256));
  return lines;
}

void BM_BatchAgainstDnsmasq(benchmark::State& state) {
  std::vector<std::string> records;
  for (int i = 0; i < 256; ++i)
    records.push_back("--ptr-record=" + std::to_string(i) + ".0.0.10.in-addr.arpa,host" + std::to_string(i) + ".lan");
  const test::TDnsmasqProcess dnsmasq(records);
  if (!dnsmasq.Ready()) {
    state.SkipWithError(dnsmasq.Problem().c_str());
    return;
  }
  const std::vector<std::string> lines = Addresses(static_cast<int>(state.range(0)));
  TReverseLookup batch;
  int resolved = 0;
  TReverseLookupEvents events;
  events.OnResolved = [&](const std::string&) { ++resolved; };
  batch.SetEvents(events);
  for (auto _ : state) batch.Lookup(lines, {test::TDnsmasqProcess::kAddress});
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["resolved"] = resolved / static_cast<double>(state.iterations());
}
BENCHMARK(BM_BatchAgainstDnsmasq)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A bound socket that never reads: every query waits out its time.
void BM_BatchAgainstSilentServer(benchmark::State& state) {
  const int silent = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  bind(silent, reinterpret_cast<sockaddr*>(&addr), len);
  getsockname(silent, reinterpret_cast<sockaddr*>(&addr), &len);
  const std::string server = "127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
  TReverseLookup batch;
  batch.Options().WaitingTime = static_cast<int32_t>(state.range(0));
  batch.Options().Retries = 0;
  const std::vector<std::string> lines = Addresses(20);
  for (auto _ : state) batch.Lookup(lines, {server});
  close(silent);
}
BENCHMARK(BM_BatchAgainstSilentServer)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace korrin
