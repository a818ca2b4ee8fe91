#include "dns/in_flight_queries.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>

#include "dns/dns_error.h"
#include "dns/dns_query.h"
#include "dns/dns_reply.h"
#include "dns/tcp_exchange.h"
#include "dns/udp_channel.h"

namespace korrin {

namespace {

using TClock = std::chrono::steady_clock;

// A kept socket keeps its source port; a fresh one now and then keeps the port unpredictable.
constexpr int kMaxQueriesPerChannel = 100;
constexpr auto kStopPollPeriod = std::chrono::milliseconds(50);
// How far a paced run may fall behind and catch up in one burst.
constexpr auto kPacingSlack = std::chrono::milliseconds(10);

}  // namespace

struct TInFlightQueries::TSlot {
  enum class TState : uint8_t { Idle, Pending, Waiting, OverTcp };
  TState State = TState::Idle;
  std::unique_ptr<TUdpChannel> Channel;
  std::unique_ptr<TTcpExchange> Tcp;  // while OverTcp
  size_t ChannelServer = 0;
  int ChannelQueries = 0;
  size_t Item = 0;
  std::string Domain;
  size_t Server = 0;
  int Failures = 0;
  uint16_t Id = 0;
  std::vector<uint8_t> Query;
  TClock::time_point Deadline;
};

TInFlightQueries::TInFlightQueries(const TQueryOptions& options, std::vector<TBatchServer>& servers, TRandom& random)
    : FOptions(options), FServers(servers), FRandom(random) {}

std::optional<size_t> TInFlightQueries::LiveServerFrom(size_t server) const {
  for (size_t k = 0; k < FServers.size(); ++k) {
    const size_t candidate = (server + k) % FServers.size();
    if (FServers[candidate].Address) return candidate;
  }
  return std::nullopt;
}

void TInFlightQueries::Failover(TSlot& slot, TLookupReason reason, const TOnEnd& onEnd) {
  if (++slot.Failures > FOptions.Retries) {
    slot.State = TSlot::TState::Idle;
    onEnd(slot.Item, {reason, {}});
    return;
  }
  slot.Server = LiveServerFrom(slot.Server + 1).value_or(slot.Server);
  slot.State = TSlot::TState::Pending;
}

bool TInFlightQueries::SendFrom(TSlot& slot, const TOnEnd& onEnd) {
  TBatchServer& server = FServers[slot.Server];
  slot.Id = static_cast<uint16_t>(RandomBelow(FRandom, 65535));
  slot.Query = BuildPtrQuery(slot.Id, FOptions.AllowRecursiveQueries, slot.Domain);
  try {
    if (!slot.Channel || slot.Channel->Family() != server.Address->Family() ||
        slot.ChannelQueries >= kMaxQueriesPerChannel) {
      slot.Channel.reset();
      slot.Channel = std::make_unique<TUdpChannel>(*server.Address);
      slot.ChannelServer = slot.Server;
      slot.ChannelQueries = 0;
    } else if (slot.ChannelServer != slot.Server) {
      slot.Channel->Retarget(*server.Address);
      slot.ChannelServer = slot.Server;
    }
    slot.Channel->Send(slot.Query);
  } catch (const EDnsError&) {
    slot.Channel.reset();
    Failover(slot, TLookupReason::Unreachable, onEnd);
    return false;
  }
  ++slot.ChannelQueries;
  ++server.Sent;
  slot.Deadline = TClock::now() + std::chrono::milliseconds(std::max(FOptions.WaitingTime, 0));
  slot.State = TSlot::TState::Waiting;
  return true;
}

void TInFlightQueries::Answered(TSlot& slot, std::span<const uint8_t> answer, const TOnEnd& onEnd) {
  if (slot.State == TSlot::TState::Waiting) {
    ++FServers[slot.Server].Answered;
    if (IsTruncated(answer)) {
      try {
        slot.Tcp = std::make_unique<TTcpExchange>(*FServers[slot.Server].Address, slot.Query);
      } catch (const EDnsError&) {
        return Failover(slot, TLookupReason::Unreachable, onEnd);
      }
      slot.Deadline = TClock::now() + std::chrono::milliseconds(std::max(FOptions.WaitingTime, 0));
      slot.State = TSlot::TState::OverTcp;
      return;
    }
  } else if (!IsAnswerTo(answer, slot.Query)) {
    slot.Tcp.reset();
    return Failover(slot, TLookupReason::Timeout, onEnd);
  }
  TPtrOutcome outcome = OutcomeOfAnswer(answer, slot.Id);
  slot.Tcp.reset();
  slot.State = TSlot::TState::Idle;
  onEnd(slot.Item, std::move(outcome));
}

void TInFlightQueries::Run(const std::vector<std::string>& domains, const TOnEnd& onEnd,
                           const std::function<bool()>& stop) {
  using TState = TSlot::TState;
  bool stopped = false;
  const TOnEnd end = [&](size_t item, TPtrOutcome outcome) {
    onEnd(item, std::move(outcome));
    if (!stopped) stopped = stop();
  };
  std::vector<TSlot> slots(std::min<size_t>(std::max(FOptions.Parallel, 1), domains.size()));
  size_t next = 0;
  const auto interval =
      FOptions.Rate > 0
          ? std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double>(1.0 / FOptions.Rate))
          : TClock::duration::zero();
  auto nextSend = TClock::now();
  std::vector<pollfd> polled;
  std::vector<TSlot*> polledSlots;
  std::vector<uint8_t> datagram;
  while (!stopped) {
    // New items into idle slots; an item that asks nothing ends at once.
    for (TSlot& slot : slots) {
      while (!stopped && slot.State == TState::Idle && next < domains.size()) {
        const size_t item = next++;
        const std::optional<size_t> server = LiveServerFrom(item % FServers.size());
        if (domains[item].empty()) {
          end(item, {TLookupReason::NoAddress, {}});
        } else if (!server) {
          end(item, {TLookupReason::Unreachable, {}});
        } else {
          try {
            ReverseQueryName(domains[item]);
          } catch (const EDnsError&) {
            end(item, {TLookupReason::NoAddress, {}});
            continue;
          }
          slot.Item = item;
          slot.Domain = domains[item];
          slot.Server = *server;
          slot.Failures = 0;
          slot.State = TState::Pending;
        }
      }
    }
    bool paced = false;
    for (TSlot& slot : slots) {
      while (!stopped && slot.State == TState::Pending) {
        if (interval > TClock::duration::zero()) {
          const auto now = TClock::now();
          if (now < nextSend) {
            paced = true;
            break;
          }
          nextSend = std::max(nextSend, now - kPacingSlack) + interval;
        }
        SendFrom(slot, end);
      }
    }
    if (stopped) break;

    polled.clear();
    polledSlots.clear();
    auto wakeUp = TClock::now() + kStopPollPeriod;
    if (paced) wakeUp = std::min(wakeUp, nextSend);
    for (TSlot& slot : slots)
      if (slot.State == TState::Waiting || slot.State == TState::OverTcp) {
        polled.push_back(slot.Tcp ? pollfd{slot.Tcp->Fd(), slot.Tcp->Events(), 0}
                                  : pollfd{slot.Channel->Fd(), POLLIN, 0});
        polledSlots.push_back(&slot);
        wakeUp = std::min(wakeUp, slot.Deadline);
      }
    if (polled.empty() && !paced && next >= domains.size()) break;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wakeUp - TClock::now()).count();
    const int ready = poll(polled.data(), polled.size(), static_cast<int>(std::max<int64_t>(wait, 0)));
    if (ready < 0 && errno != EINTR) throw EDnsError("Cannot wait for the DNS servers");
    const auto drain = [&](TSlot& slot) {
      try {
        if (slot.State == TState::OverTcp) {
          if (slot.Tcp->Advance()) Answered(slot, slot.Tcp->Answer(), end);
          return;
        }
        while (slot.State == TState::Waiting && slot.Channel->TryReceive(datagram))
          if (IsAnswerTo(datagram, slot.Query)) Answered(slot, datagram, end);
      } catch (const EDnsError&) {
        if (slot.State == TState::OverTcp) slot.Tcp.reset();
        else slot.Channel.reset();
        Failover(slot, TLookupReason::Unreachable, end);
      }
    };
    for (size_t i = 0; ready > 0 && i < polled.size(); ++i)
      if (polled[i].revents != 0) drain(*polledSlots[i]);
    // An answer that came while others were handled still counts after its deadline.
    const auto now = TClock::now();
    for (TSlot* slot : polledSlots)
      if ((slot->State == TState::Waiting || slot->State == TState::OverTcp) && slot->Deadline <= now) {
        drain(*slot);
        if (slot->State == TState::Waiting || slot->State == TState::OverTcp) {
          slot->Tcp.reset();
          Failover(*slot, TLookupReason::Timeout, end);
        }
      }
    if (!stopped) stopped = stop();
  }
}

}  // namespace korrin
