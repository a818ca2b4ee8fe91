#include "dns/reverse_lookup.h"

#include <algorithm>
#include <optional>

#include "common/exception.h"
#include "common/text.h"
#include "dns/descriptor_room.h"
#include "dns/dns_error.h"
#include "dns/reverse_lookup_lists.h"

namespace korrin {

TReverseLookupSummary TReverseLookup::Lookup(const std::vector<std::string>& outputLines,
                                             const std::vector<std::string>& serverLines, std::string_view delimiter) {
  FRandom.seed(FreshSeed());
  const std::vector<std::string> addresses = ReverseLookupAddresses(outputLines, delimiter);
  const std::vector<std::string> servers = ReverseLookupServers(serverLines);
  if (servers.empty()) throw Exception("No DNS Servers specified");
  return ResolveIPList(addresses, servers);
}

TReverseLookupSummary TReverseLookup::ResolveIPList(const std::vector<std::string>& addresses,
                                                    const std::vector<std::string>& servers) {
  FDNSBreak = false;
  TReverseLookupSummary summary;
  summary.Total = static_cast<int>(addresses.size());
  if (FEvents.OnProgress) FEvents.OnProgress(0, summary.Total);
  if (FEvents.OnProcessEvents) FEvents.OnProcessEvents();

  // Every server named once per batch; a bad text or a name without an address is left out.
  std::vector<std::string> hosts, problems(servers.size());
  std::vector<uint16_t> ports;
  std::vector<size_t> named;
  for (size_t i = 0; i < servers.size(); ++i) {
    try {
      const TDnsServer server = SplitServerText(servers[i]);
      hosts.push_back(server.Host);
      ports.push_back(server.Port);
      named.push_back(i);
    } catch (const EDnsError& e) {
      problems[i] = e.what();
    }
  }
  const auto stop = [this] {
    if (FEvents.OnProcessEvents) FEvents.OnProcessEvents();
    return FDNSBreak.load();
  };
  std::vector<TBatchServer> batchServers(servers.size());
  bool asking = false;
  std::vector<std::string> domains;
  domains.reserve(addresses.size());
  for (const std::string& address : addresses) {
    TIPAddr value;
    domains.push_back(TryLookupAddress(address, value) ? IPAddrToStr(value, false) : std::string());
    asking = asking || !domains.back().empty();
  }
  if (asking) {
    std::vector<std::string> lookupProblems;
    const auto found =
        ResolveServerAddresses(hosts, ports, TIPAddrFamily::IPv4, FOptions.WaitingTime, lookupProblems, stop);
    for (size_t k = 0; k < named.size(); ++k) {
      batchServers[named[k]].Address = found[k];
      problems[named[k]] = lookupProblems[k];
    }
  }

  // Each query in flight holds a UDP socket, and a TCP one while a cut answer is fetched whole.
  TQueryOptions options = FOptions;
  if (asking) {
    const int64_t wanted = 2 * std::min<int64_t>(std::max(options.Parallel, 1), std::ssize(addresses));
    const TDescriptorRoom room = MakeRoomForDescriptors(wanted);
    if (room.Free < wanted) {
      options.Parallel = static_cast<int>(std::max<int64_t>(room.Free / 2, 1));
      summary.Warnings.push_back(
          Format("%d queries in flight instead of %d: the limit of %lld open files leaves no room for more",
                 options.Parallel, FOptions.Parallel, static_cast<long long>(room.Limit)));
    }
  }

  std::vector<std::optional<TPtrOutcome>> ended(addresses.size());
  size_t emitted = 0;
  const auto emit = [&](size_t item) {
    TPtrOutcome& outcome = *ended[item];
    if (outcome.Reason == TLookupReason::Resolved) {
      if (FEvents.OnResolved) FEvents.OnResolved(addresses[item] + "," + outcome.HostName);
    } else if (FEvents.OnUnresolved) {
      FEvents.OnUnresolved(addresses[item], outcome.Reason);
    }
    ended[item].reset();
    ++summary.Done;
    if (FEvents.OnProgress) FEvents.OnProgress(summary.Done, summary.Total);
  };
  const auto onEnd = [&](size_t item, TPtrOutcome outcome) {
    if (FEvents.OnEnded) FEvents.OnEnded(outcome.Reason);
    ended[item] = std::move(outcome);
    for (; emitted < ended.size() && ended[emitted]; ++emitted) emit(emitted);
  };
  if (!FDNSBreak) TInFlightQueries(options, batchServers, FRandom).Run(domains, onEnd, stop);
  summary.Broken = FDNSBreak;
  // What ended behind a query that was dropped still comes out, in order.
  for (size_t item = emitted; item < ended.size(); ++item)
    if (ended[item]) emit(item);

  bool answered = false;
  for (size_t i = 0; i < servers.size(); ++i) {
    const TBatchServer& server = batchServers[i];
    answered = answered || server.Answered > 0;
    if (!problems[i].empty() && asking) summary.Warnings.push_back(problems[i]);
    else if (server.Sent > 0 && server.Answered == 0)
      summary.Warnings.push_back(Format("DNS server %s answered no query", servers[i].c_str()));
  }
  summary.NoServerAnswered = asking && !answered && !summary.Broken;
  return summary;
}

}  // namespace korrin
