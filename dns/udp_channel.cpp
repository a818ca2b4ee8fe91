#include "dns/udp_channel.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

#include "common/text.h"
#include "dns/dns_error.h"

namespace korrin {

namespace {

constexpr size_t kReceiveBufferSize = 8192;

struct TAddrInfoFree {
  void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using TAddrInfoList = std::unique_ptr<addrinfo, TAddrInfoFree>;

TAddrInfoList ResolveServer(const std::string& host, uint16_t port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* list = nullptr;
  const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
  if (rc != 0 || list == nullptr)
    throw EDnsError(Format("Cannot resolve DNS server %s: %s", host.c_str(), gai_strerror(rc)));
  return TAddrInfoList(list);
}

const addrinfo* PickAddress(const addrinfo* list, TIPAddrFamily preferred) {
  const int family = preferred == TIPAddrFamily::IPv4 ? AF_INET : AF_INET6;
  for (const addrinfo* a = list; a != nullptr; a = a->ai_next)
    if (a->ai_family == family) return a;
  return list;
}

}  // namespace

TUdpChannel::TUdpChannel(const std::string& host, uint16_t port, TIPAddrFamily preferred) : FHost(host) {
  const TAddrInfoList list = ResolveServer(host, port);
  const addrinfo* server = PickAddress(list.get(), preferred);
  FFd = socket(server->ai_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (FFd < 0) Failure("Cannot open a socket for");
  if (connect(FFd, server->ai_addr, server->ai_addrlen) != 0) {
    const int error = errno;
    close(FFd);
    errno = error;
    Failure("Cannot reach");
  }
}

TUdpChannel::~TUdpChannel() { close(FFd); }

void TUdpChannel::Failure(const char* what) const {
  throw EDnsError(Format("%s DNS server %s: %s", what, FHost.c_str(), std::strerror(errno)));
}

std::vector<uint8_t> TUdpChannel::Exchange(std::span<const uint8_t> datagram, int32_t waitMs) {
  std::vector<uint8_t> reply(kReceiveBufferSize);
  while (recv(FFd, reply.data(), reply.size(), MSG_DONTWAIT) >= 0) continue;
  if (send(FFd, datagram.data(), datagram.size(), 0) != static_cast<ssize_t>(datagram.size()))
    Failure("Cannot send the query to");

  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs < 0 ? 0 : waitMs);
  pollfd fd{FFd, POLLIN, 0};
  while (true) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int ready = poll(&fd, 1, left > 0 ? static_cast<int>(left) : 0);
    if (ready > 0) break;
    if (ready == 0) return {};
    if (errno != EINTR) Failure("Cannot wait for");
  }
  ssize_t received;
  do {
    received = recv(FFd, reply.data(), reply.size(), 0);
  } while (received < 0 && errno == EINTR);
  if (received < 0) Failure("No reply from");
  reply.resize(static_cast<size_t>(received));
  return reply;
}

}  // namespace korrin
