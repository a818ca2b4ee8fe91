#include "dns/server_address.h"

#include <netdb.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "common/text.h"
#include "dns/dns_error.h"

namespace korrin {

namespace {

constexpr auto kStopPollPeriod = std::chrono::milliseconds(50);

// One look-up on its own thread; the thread holds the state, so a look-up that outlives the wait
// finishes harmlessly after the batch has gone on.
struct TLookupState {
  std::mutex Lock;
  std::condition_variable Done;
  bool Finished = false;
  int Code = EAI_AGAIN;
  addrinfo* List = nullptr;
  ~TLookupState() {
    if (List != nullptr) freeaddrinfo(List);
  }
};

std::shared_ptr<TLookupState> StartLookup(const std::string& host, uint16_t port) {
  auto state = std::make_shared<TLookupState>();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = AI_NUMERICSERV;
  const std::string service = std::to_string(port);
  addrinfo* list = nullptr;
  // An address literal needs no name service and no thread.
  hints.ai_flags |= AI_NUMERICHOST;
  const int literal = getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
  if (literal == 0 || literal != EAI_NONAME) {
    state->Code = literal;
    state->List = list;
    state->Finished = true;
    return state;
  }
  hints.ai_flags &= ~AI_NUMERICHOST;
  std::thread([state, host, service, hints] {
    addrinfo* found = nullptr;
    const int code = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    std::lock_guard<std::mutex> guard(state->Lock);
    state->Code = code;
    state->List = found;
    state->Finished = true;
    state->Done.notify_all();
  }).detach();
  return state;
}

const addrinfo* PickAddress(const addrinfo* list, TIPAddrFamily preferred) {
  const int family = preferred == TIPAddrFamily::IPv4 ? AF_INET : AF_INET6;
  for (const addrinfo* a = list; a != nullptr; a = a->ai_next)
    if (a->ai_family == family) return a;
  for (const addrinfo* a = list; a != nullptr; a = a->ai_next)
    if (a->ai_family == AF_INET || a->ai_family == AF_INET6) return a;
  return nullptr;
}

}  // namespace

std::vector<std::optional<TServerAddress>> ResolveServerAddresses(const std::vector<std::string>& hosts,
                                                                  const std::vector<uint16_t>& ports,
                                                                  TIPAddrFamily preferred, int32_t waitMs,
                                                                  std::vector<std::string>& problems,
                                                                  const std::function<bool()>& stop) {
  std::vector<std::shared_ptr<TLookupState>> lookups;
  for (size_t i = 0; i < hosts.size(); ++i) lookups.push_back(StartLookup(hosts[i], ports[i]));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(waitMs, 0));
  std::vector<std::optional<TServerAddress>> addresses(hosts.size());
  problems.assign(hosts.size(), {});
  for (size_t i = 0; i < hosts.size(); ++i) {
    TLookupState& state = *lookups[i];
    std::unique_lock<std::mutex> lock(state.Lock);
    bool finished = state.Finished;
    while (!finished && std::chrono::steady_clock::now() < deadline) {
      finished = state.Done.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() + kStopPollPeriod),
                                       [&state] { return state.Finished; });
      lock.unlock();
      const bool stopped = stop();
      lock.lock();
      if (stopped) return addresses;
    }
    if (!finished) {
      problems[i] = Format("Cannot resolve DNS server %s: no answer within %d ms", hosts[i].c_str(), int(waitMs));
      continue;
    }
    const addrinfo* found = state.Code == 0 ? PickAddress(state.List, preferred) : nullptr;
    if (found == nullptr || found->ai_addrlen > sizeof(sockaddr_storage)) {
      problems[i] = Format("Cannot resolve DNS server %s: %s", hosts[i].c_str(),
                           state.Code != 0 ? gai_strerror(state.Code) : "no IPv4 or IPv6 address");
      continue;
    }
    TServerAddress address;
    std::memcpy(&address.Address, found->ai_addr, found->ai_addrlen);
    address.Length = found->ai_addrlen;
    addresses[i] = address;
  }
  return addresses;
}

}  // namespace korrin
