#include "dns/reverse_lookup.h"

#include "dns/dns_error.h"
#include "dns/reverse_lookup_lists.h"

namespace korrin {

void TReverseLookup::Lookup(const std::vector<std::string>& outputLines, const std::vector<std::string>& serverLines) {
  FResolver.Randomize();
  const std::vector<std::string> addresses = ReverseLookupAddresses(outputLines);
  const std::vector<std::string> servers = ReverseLookupServers(serverLines);
  if (servers.empty()) throw Exception("No DNS Servers specified");
  ResolveIPList(addresses, servers);
}

void TReverseLookup::ResolveIPList(const std::vector<std::string>& addresses, const std::vector<std::string>& servers) {
  FDNSBreak = false;
  const int total = static_cast<int>(addresses.size());
  if (FEvents.OnProgress) FEvents.OnProgress(0, total);
  if (FEvents.OnProcessEvents) FEvents.OnProcessEvents();
  for (int i = 0; i < total; ++i) {
    if (FDNSBreak) break;
    const std::string& address = addresses[i];
    const std::string hostName = HostNameOf(address, servers[i % servers.size()]);
    if (!hostName.empty()) {
      if (FEvents.OnResolved) FEvents.OnResolved(address + "," + hostName);
    } else if (FEvents.OnUnresolved) {
      FEvents.OnUnresolved(address);
    }
    if (FEvents.OnProgress) FEvents.OnProgress(i + 1, total);
    if (FEvents.OnProcessEvents) FEvents.OnProcessEvents();
  }
  FResolver.CloseChannels();
}

std::string TReverseLookup::HostNameOf(const std::string& address, const std::string& server) {
  try {
    const TDnsServer target = SplitServerText(server);
    FResolver.SetHost(target.Host);
    FResolver.SetPort(target.Port);
    FResolver.Resolve(address);
  } catch (const std::exception&) {  // whatever went wrong, the address stays unresolved
    return {};
  }
  for (const TDnsRecord& record : FResolver.QueryResult())
    if (record.Type == kDnsTypePTR) return record.HostName;
  return {};
}

}  // namespace korrin
