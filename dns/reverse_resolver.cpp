#include "dns/reverse_resolver.h"

#include "common/text.h"
#include "dns/dns_error.h"
#include "dns/dns_query.h"

namespace korrin {

namespace {

constexpr size_t kMaxChannels = 16;  // servers taken in turn; more than this is unusual
// A kept socket keeps its source port; a fresh one now and then keeps the port unpredictable.
constexpr int kMaxQueriesPerChannel = 100;

}  // namespace

TReverseResolver::TReverseResolver() : FRandom(FreshSeed()) {}

void TReverseResolver::Randomize() { FRandom.seed(FreshSeed()); }

std::vector<TReverseResolver::TChannelEntry>::iterator TReverseResolver::Channel() {
  for (auto it = FChannels.begin(); it != FChannels.end(); ++it)
    if (it->Host == FHost && it->Port == FPort && it->Family == FIPVersion) return it;
  if (FChannels.size() >= kMaxChannels) FChannels.erase(FChannels.begin());
  auto channel = std::make_unique<TUdpChannel>(FHost, FPort, FIPVersion);
  FChannels.push_back({FHost, FPort, FIPVersion, 0, std::move(channel)});
  return FChannels.end() - 1;
}

void TReverseResolver::Resolve(std::string_view domain) {
  FQueryResult.clear();
  const auto id = static_cast<uint16_t>(RandomBelow(FRandom, 65535));
  FQueryMessage = BuildPtrQuery(id, FAllowRecursiveQueries, domain);
  FHeader = TDnsHeader{id, static_cast<uint16_t>(FAllowRecursiveQueries ? 0x0100 : 0), 1, 0, 0, 0};
  const auto channel = Channel();
  std::vector<uint8_t> reply;
  try {
    reply = channel->Channel->Exchange(FQueryMessage, FWaitingTime);
  } catch (const EDnsError&) {
    FChannels.erase(channel);
    throw;
  }
  const bool ownReply = reply.size() >= 2 && reply[0] == (id >> 8) && reply[1] == (id & 0xFF);
  if (!ownReply || ++channel->Queries >= kMaxQueriesPerChannel) FChannels.erase(channel);
  // Fewer than 5 bytes cannot be a reply at all; treat them as none.
  if (reply.size() < 5) throw EDnsError(Format("DNS request to %s timed out", FHost.c_str()));
  FHeader = ParseDnsReply(reply, id, FQueryResult);
}

}  // namespace korrin
