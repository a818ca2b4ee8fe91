#pragma once
// The reverse lookup batch: resolves a list of addresses with many queries in flight, taking the
// servers in turn, and reports every result in input order as soon as it and all before it are
// final, through callbacks, so that a window or the command line can show them without this code
// knowing either. One query in flight gives the lists of a batch that asks one address at a time.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dns/in_flight_queries.h"
#include "dns/ptr_outcome.h"

namespace korrin {

struct TReverseLookupEvents {
  std::function<void(int done, int total)> OnProgress;  // (0, n) first, then as results come out
  // Between rounds of the query loop, at least every 50 ms and after every result; may Break().
  std::function<void()> OnProcessEvents;
  std::function<void(const std::string& line)> OnResolved;  // "address,host name"
  std::function<void(const std::string& address, TLookupReason reason)> OnUnresolved;
  // As each address's lookup ends, in whatever order the answers come, before it is reported.
  std::function<void(TLookupReason reason)> OnEnded;
};

// What a batch did beyond its lists.
struct TReverseLookupSummary {
  int Done = 0;
  int Total = 0;
  bool Broken = false;
  // Addresses were to be asked and no server answered any query: the servers are wrong or dead.
  bool NoServerAnswered = false;
  // One line per server that answered nothing at all (its name had no address, or it was asked
  // and never answered); empty when every server asked answered something.
  std::vector<std::string> Warnings;
};

class TReverseLookup {
 public:
  TQueryOptions& Options() { return FOptions; }
  // Set before a batch, never from inside one of its callbacks.
  void SetEvents(TReverseLookupEvents events) { FEvents = std::move(events); }

  // Reseeds the query ids, takes the addresses of `outputLines` (fields split at `delimiter`)
  // and the servers of `serverLines` and resolves them; raises Exception "No DNS Servers
  // specified" when no server is left.
  TReverseLookupSummary Lookup(const std::vector<std::string>& outputLines, const std::vector<std::string>& serverLines,
                               std::string_view delimiter = " ");

  // Address i goes first to server i mod the number of servers; `servers` must not be empty.
  // Every failed query counts as unresolved, with its reason and without a message; a text
  // that is no address is unresolved without a query. Fewer queries go in flight than asked when
  // the limit of open files leaves no room for their sockets (a warning says so); a socket that
  // cannot be opened all the same ends the batch with Exception and its reason.
  TReverseLookupSummary ResolveIPList(const std::vector<std::string>& addresses,
                                      const std::vector<std::string>& servers);

  // Stops the running batch: nothing more is sent, the queries in flight are dropped, and the
  // results final so far have been reported. Safe from any thread.
  void Break() { FDNSBreak = true; }

 private:
  TQueryOptions FOptions;
  TReverseLookupEvents FEvents;
  TRandom FRandom{FreshSeed()};
  std::atomic<bool> FDNSBreak{false};
};

}  // namespace korrin
