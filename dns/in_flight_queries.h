#pragma once
// Many PTR queries outstanding at once: each in-flight slot owns a connected UDP socket, the
// queries go to the servers in turn, a query that gets no answer in time is asked again of the
// next server, an optional rate caps the sends per second, and only a true answer ends a query.
// Results are reported as they end, in whatever order the answers come.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/random.h"
#include "dns/ptr_outcome.h"
#include "dns/server_address.h"

namespace korrin {

struct TQueryOptions {
  int32_t WaitingTime = 5000;  // per attempt, in milliseconds
  int Parallel = 64;           // queries in flight at most
  int Retries = 2;             // attempts after the first, each to the next server
  double Rate = 0;             // sends per second at most, retries included; 0 for no limit
  bool AllowRecursiveQueries = true;
};

// One server of a batch and what it did; Address is empty when its name had none.
struct TBatchServer {
  std::optional<TServerAddress> Address;
  int64_t Sent = 0;
  int64_t Answered = 0;  // true answers of any response code
};

class TInFlightQueries {
 public:
  using TOnEnd = std::function<void(size_t item, TPtrOutcome outcome)>;

  // `servers` must hold at least one entry and outlive the object.
  TInFlightQueries(const TQueryOptions& options, std::vector<TBatchServer>& servers, TRandom& random);

  // Asks for the reverse name of every non-empty entry of `domains`, item i first of server
  // i mod the number of servers, and calls `onEnd` once for each (at once for an empty entry or
  // one that makes no query). `stop` is called at least every 50 ms and after every end; when
  // it returns true, no further query is sent and the queries in flight are left unanswered.
  void Run(const std::vector<std::string>& domains, const TOnEnd& onEnd, const std::function<bool()>& stop);

 private:
  struct TSlot;
  bool SendFrom(TSlot& slot, const TOnEnd& onEnd);
  void Failover(TSlot& slot, TLookupReason reason, const TOnEnd& onEnd);
  // A true answer over UDP (which may send the query on over TCP) or the answer over TCP.
  void Answered(TSlot& slot, std::span<const uint8_t> answer, const TOnEnd& onEnd);
  std::optional<size_t> LiveServerFrom(size_t server) const;

  TQueryOptions FOptions;
  std::vector<TBatchServer>& FServers;
  TRandom& FRandom;
};

}  // namespace korrin
