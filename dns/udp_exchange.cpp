#include "dns/udp_exchange.h"

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

class TSocket {
 public:
  explicit TSocket(int fd) : FFd(fd) {}
  TSocket(const TSocket&) = delete;
  TSocket& operator=(const TSocket&) = delete;
  ~TSocket() {
    if (FFd >= 0) close(FFd);
  }
  int Fd() const { return FFd; }

 private:
  int FFd;
};

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

[[noreturn]] void SocketFailure(const char* what, const std::string& host) {
  throw EDnsError(Format("%s DNS server %s: %s", what, host.c_str(), std::strerror(errno)));
}

}  // namespace

std::vector<uint8_t> ExchangeDatagram(const std::string& host, uint16_t port, TIPAddrFamily preferred,
                                      std::span<const uint8_t> datagram, int32_t waitMs) {
  const TAddrInfoList list = ResolveServer(host, port);
  const addrinfo* server = PickAddress(list.get(), preferred);
  const TSocket socket(::socket(server->ai_family, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (socket.Fd() < 0) SocketFailure("Cannot open a socket for", host);
  if (connect(socket.Fd(), server->ai_addr, server->ai_addrlen) != 0) SocketFailure("Cannot reach", host);
  if (send(socket.Fd(), datagram.data(), datagram.size(), 0) != static_cast<ssize_t>(datagram.size()))
    SocketFailure("Cannot send the query to", host);

  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs < 0 ? 0 : waitMs);
  pollfd fd{socket.Fd(), POLLIN, 0};
  while (true) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int ready = poll(&fd, 1, left > 0 ? static_cast<int>(left) : 0);
    if (ready > 0) break;
    if (ready == 0) return {};
    if (errno != EINTR) SocketFailure("Cannot wait for", host);
  }
  std::vector<uint8_t> reply(kReceiveBufferSize);
  ssize_t received;
  do {
    received = recv(socket.Fd(), reply.data(), reply.size(), 0);
  } while (received < 0 && errno == EINTR);
  if (received < 0) SocketFailure("No reply from", host);
  reply.resize(static_cast<size_t>(received));
  return reply;
}

}  // namespace korrin
