#include "dns/reverse_resolver.h"

#include "common/text.h"
#include "dns/dns_error.h"
#include "dns/dns_query.h"
#include "dns/udp_exchange.h"

namespace korrin {

TReverseResolver::TReverseResolver() : FRandom(FreshSeed()) {}

void TReverseResolver::Randomize() { FRandom.seed(FreshSeed()); }

void TReverseResolver::Resolve(std::string_view domain) {
  FQueryResult.clear();
  const auto id = static_cast<uint16_t>(RandomBelow(FRandom, 65535));
  FQueryMessage = BuildPtrQuery(id, FAllowRecursiveQueries, domain);
  FHeader = TDnsHeader{id, static_cast<uint16_t>(FAllowRecursiveQueries ? 0x0100 : 0), 1, 0, 0, 0};
  const std::vector<uint8_t> reply = ExchangeDatagram(FHost, FPort, FIPVersion, FQueryMessage, FWaitingTime);
  // Fewer than 5 bytes cannot be a reply at all; treat them as none.
  if (reply.size() < 5) throw EDnsError(Format("DNS request to %s timed out", FHost.c_str()));
  FHeader = ParseDnsReply(reply, id, FQueryResult);
}

}  // namespace korrin
