#pragma once
// The small DNS client for one PTR query to one server over UDP (over TCP when the answer comes
// truncated) and the records of its answer. Owned by whoever runs lookups, used by one thread at
// a time; the batch has its own machinery for many queries at once.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "address/ip_types.h"
#include "common/random.h"
#include "dns/dns_record.h"
#include "dns/dns_reply.h"
#include "dns/server_address.h"
#include "dns/udp_channel.h"

namespace korrin {

class TReverseResolver {
 public:
  TReverseResolver();

  const std::string& Host() const { return FHost; }
  void SetHost(std::string host) { FHost = std::move(host); }
  uint16_t Port() const { return FPort; }
  void SetPort(uint16_t port) { FPort = port; }
  int32_t WaitingTime() const { return FWaitingTime; }
  void SetWaitingTime(int32_t milliseconds) { FWaitingTime = milliseconds; }
  bool AllowRecursiveQueries() const { return FAllowRecursiveQueries; }
  void SetAllowRecursiveQueries(bool allow) { FAllowRecursiveQueries = allow; }
  // The family tried first when the server is a name with addresses of both families.
  TIPAddrFamily IPVersion() const { return FIPVersion; }
  void SetIPVersion(TIPAddrFamily family) { FIPVersion = family; }

  // Draws a fresh seed for the query ids.
  void Randomize();

  // Asks Host for the PTR record of `domain` (an IPv4 or IPv6 address text, or a reverse name
  // containing "in-addr", "ip6.int" or "ip6.arpa"). Only a datagram that answers this query's
  // ID and question is taken; others are ignored while the wait lasts. Returns only when the
  // answer passed every check and holds at least one record; raises EDnsError otherwise,
  // QueryResult then empty. The socket to a server is kept for at most 100 queries to it, and
  // closed after a time-out.
  void Resolve(std::string_view domain);

  // Closes the sockets kept for the servers asked so far.
  void CloseChannels() { FChannels.clear(); }

  // Answer, then authority, then additional records of the last successful reply.
  const std::vector<TDnsRecord>& QueryResult() const { return FQueryResult; }
  const std::vector<uint8_t>& QueryMessage() const { return FQueryMessage; }
  // The header of the last query, replaced by that of the reply once one has been read.
  const TDnsHeader& Header() const { return FHeader; }

 private:
  std::string FHost;
  uint16_t FPort = 53;
  int32_t FWaitingTime = 5000;
  bool FAllowRecursiveQueries = true;
  TIPAddrFamily FIPVersion = TIPAddrFamily::IPv4;
  TRandom FRandom;
  std::vector<uint8_t> FQueryMessage;
  TDnsHeader FHeader;
  std::vector<TDnsRecord> FQueryResult;

  struct TChannelEntry {
    std::string Host;
    uint16_t Port;
    TIPAddrFamily Family;
    int Queries;
    TServerAddress Address;
    std::unique_ptr<TUdpChannel> Channel;
  };
  std::vector<TChannelEntry>::iterator Channel();
  std::vector<TChannelEntry> FChannels;
};

}  // namespace korrin
