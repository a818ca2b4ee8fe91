#pragma once
// The reverse lookup batch: resolves a list of addresses one query at a time, taking the servers
// in turn, and reports every result and its progress through callbacks, so that a window or the
// command line can show them without this code knowing either.
#include <functional>
#include <string>
#include <vector>

#include "dns/reverse_resolver.h"

namespace korrin {

struct TReverseLookupEvents {
  std::function<void(int done, int total)> OnProgress;          // (0, n) first, then after each address
  std::function<void()> OnProcessEvents;                        // between queries; may call Break()
  std::function<void(const std::string& line)> OnResolved;      // "address,host name"
  std::function<void(const std::string& address)> OnUnresolved;
};

class TReverseLookup {
 public:
  TReverseResolver& Resolver() { return FResolver; }
  // Set before a batch, never from inside one of its callbacks.
  void SetEvents(TReverseLookupEvents events) { FEvents = std::move(events); }

  // Reseeds the query ids, takes the addresses of `outputLines` and the servers of `serverLines`
  // and resolves them; raises Exception "No DNS Servers specified" when no server is left.
  void Lookup(const std::vector<std::string>& outputLines, const std::vector<std::string>& serverLines);

  // Address i goes to server i mod the number of servers; `servers` must not be empty. Every
  // failed query counts as unresolved, without a message.
  void ResolveIPList(const std::vector<std::string>& addresses, const std::vector<std::string>& servers);

  // Stops the running batch before its next query; the query in progress completes.
  void Break() { FDNSBreak = true; }

 private:
  // The host name of the first PTR record of the reply, empty when there is none.
  std::string HostNameOf(const std::string& address, const std::string& server);

  TReverseResolver FResolver;
  TReverseLookupEvents FEvents;
  bool FDNSBreak = false;
};

}  // namespace korrin
