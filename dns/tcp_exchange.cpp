#include "dns/tcp_exchange.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/text.h"
#include "dns/dns_error.h"

namespace korrin {

namespace {

class TTcpSocket {
 public:
  explicit TTcpSocket(int family) : FFd(socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) {
    if (FFd < 0) Fail("Cannot open a TCP socket for the DNS server");
  }
  ~TTcpSocket() { close(FFd); }
  TTcpSocket(const TTcpSocket&) = delete;
  TTcpSocket& operator=(const TTcpSocket&) = delete;
  int Fd() const { return FFd; }
  [[noreturn]] static void Fail(const char* what) { throw EDnsError(Format("%s: %s", what, std::strerror(errno))); }

 private:
  int FFd;
};

// False when the deadline passed first.
bool WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
  while (true) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, events, 0};
    const int ready = poll(&p, 1, static_cast<int>(left));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) TTcpSocket::Fail("Cannot wait for the DNS server");
  }
}

}  // namespace

std::optional<std::vector<uint8_t>> ExchangeOverTcp(const TServerAddress& server, std::span<const uint8_t> query,
                                                    std::chrono::steady_clock::time_point deadline) {
  TTcpSocket tcp(server.Family());
  if (connect(tcp.Fd(), reinterpret_cast<const sockaddr*>(&server.Address), server.Length) != 0) {
    if (errno != EINPROGRESS) TTcpSocket::Fail("Cannot reach the DNS server over TCP");
    if (!WaitFor(tcp.Fd(), POLLOUT, deadline)) return std::nullopt;
    int error = 0;
    socklen_t length = sizeof error;
    getsockopt(tcp.Fd(), SOL_SOCKET, SO_ERROR, &error, &length);
    if (error != 0) {
      errno = error;
      TTcpSocket::Fail("Cannot reach the DNS server over TCP");
    }
  }
  std::vector<uint8_t> out = {static_cast<uint8_t>(query.size() >> 8), static_cast<uint8_t>(query.size())};
  out.insert(out.end(), query.begin(), query.end());
  for (size_t sent = 0; sent < out.size();) {
    const ssize_t n = send(tcp.Fd(), out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      TTcpSocket::Fail("Cannot send the query to the DNS server over TCP");
    } else if (!WaitFor(tcp.Fd(), POLLOUT, deadline)) {
      return std::nullopt;
    }
  }
  // The two length bytes, then as many bytes as they announce.
  std::vector<uint8_t> in(2);
  for (size_t got = 0, wanted = 2; got < wanted;) {
    const ssize_t n = recv(tcp.Fd(), in.data() + got, wanted - got, 0);
    if (n > 0) {
      got += static_cast<size_t>(n);
      if (got == 2 && wanted == 2) {
        wanted = 2 + (size_t{in[0]} << 8 | in[1]);
        in.resize(wanted);
      }
    } else if (n == 0) {
      throw EDnsError("The DNS server closed the TCP connection before its answer was complete");
    } else if (errno != EAGAIN && errno != EINTR) {
      TTcpSocket::Fail("No answer from the DNS server over TCP");
    } else if (!WaitFor(tcp.Fd(), POLLIN, deadline)) {
      return std::nullopt;
    }
  }
  in.erase(in.begin(), in.begin() + 2);
  return in;
}

}  // namespace korrin
