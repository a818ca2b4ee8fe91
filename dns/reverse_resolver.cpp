#include "dns/reverse_resolver.h"

#include <poll.h>

#include <cerrno>
#include <chrono>

#include "common/text.h"
#include "dns/dns_error.h"
#include "dns/dns_query.h"
#include "dns/tcp_exchange.h"

namespace korrin {

namespace {

using TClock = std::chrono::steady_clock;

constexpr size_t kMaxChannels = 16;  // servers taken in turn; more than this is unusual
// A kept socket keeps its source port; a fresh one now and then keeps the port unpredictable.
constexpr int kMaxQueriesPerChannel = 100;

// The first datagram on `channel` that answers `query`, empty when none came before `deadline`.
std::vector<uint8_t> AwaitAnswer(TUdpChannel& channel, std::span<const uint8_t> query, TClock::time_point deadline) {
  std::vector<uint8_t> datagram;
  while (true) {
    while (channel.TryReceive(datagram))
      if (IsAnswerTo(datagram, query)) return datagram;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - TClock::now()).count();
    if (left <= 0) return {};
    pollfd fd{channel.Fd(), POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(left)) < 0 && errno != EINTR) throw EDnsError("Cannot wait for the DNS server");
  }
}

}  // namespace

TReverseResolver::TReverseResolver() : FRandom(FreshSeed()) {}

void TReverseResolver::Randomize() { FRandom.seed(FreshSeed()); }

std::vector<TReverseResolver::TChannelEntry>::iterator TReverseResolver::Channel() {
  for (auto it = FChannels.begin(); it != FChannels.end(); ++it)
    if (it->Host == FHost && it->Port == FPort && it->Family == FIPVersion) return it;
  if (FChannels.size() >= kMaxChannels) FChannels.erase(FChannels.begin());
  const TServerAddress address = ResolveServerAddress(FHost, FPort, FIPVersion, FWaitingTime);
  auto channel = std::make_unique<TUdpChannel>(address);
  FChannels.push_back({FHost, FPort, FIPVersion, 0, address, std::move(channel)});
  return FChannels.end() - 1;
}

void TReverseResolver::Resolve(std::string_view domain) {
  FQueryResult.clear();
  const auto id = static_cast<uint16_t>(RandomBelow(FRandom, 65535));
  FQueryMessage = BuildPtrQuery(id, FAllowRecursiveQueries, domain);
  FHeader = TDnsHeader{id, static_cast<uint16_t>(FAllowRecursiveQueries ? 0x0100 : 0), 1, 0, 0, 0};
  const auto channel = Channel();
  const TServerAddress server = channel->Address;
  const auto deadline = TClock::now() + std::chrono::milliseconds(FWaitingTime < 0 ? 0 : FWaitingTime);
  std::vector<uint8_t> answer;
  try {
    channel->Channel->Send(FQueryMessage);
    answer = AwaitAnswer(*channel->Channel, FQueryMessage, deadline);
  } catch (const EDnsError& e) {
    FChannels.erase(channel);
    throw EDnsError(Format("DNS server %s: %s", FHost.c_str(), e.what()));
  }
  if (answer.empty() || ++channel->Queries >= kMaxQueriesPerChannel) FChannels.erase(channel);
  if (answer.empty()) throw EDnsError(Format("DNS request to %s timed out", FHost.c_str()));
  if (IsTruncated(answer)) {
    const auto whole = ExchangeOverTcp(server, FQueryMessage, TClock::now() + std::chrono::milliseconds(FWaitingTime));
    if (!whole || !IsAnswerTo(*whole, FQueryMessage))
      throw EDnsError(Format("DNS request to %s over TCP timed out", FHost.c_str()));
    answer = *whole;
  }
  FHeader = ParseDnsReply(answer, id, FQueryResult);
}

}  // namespace korrin
