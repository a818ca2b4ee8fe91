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

[[noreturn]] void Fail(const char* what, int error) { throw EDnsError(Format("%s: %s", what, std::strerror(error))); }

constexpr size_t kLengthBytes = 2;

}  // namespace

TTcpExchange::TTcpExchange(const TServerAddress& server, std::span<const uint8_t> query)
    : FFd(socket(server.Family(), SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) {
  if (FFd < 0) throw Exception(Format("Cannot open a TCP socket for the DNS server: %s", std::strerror(errno)));
  FOut = {static_cast<uint8_t>(query.size() >> 8), static_cast<uint8_t>(query.size())};
  FOut.insert(FOut.end(), query.begin(), query.end());
  FIn.resize(kLengthBytes);
  if (connect(FFd, reinterpret_cast<const sockaddr*>(&server.Address), server.Length) == 0) {
    FConnected = true;
  } else if (errno != EINPROGRESS) {
    const int error = errno;
    close(FFd);
    Fail("Cannot reach the DNS server over TCP", error);
  }
}

TTcpExchange::~TTcpExchange() { close(FFd); }

short TTcpExchange::Events() const { return FSent < FOut.size() ? POLLOUT : POLLIN; }

bool TTcpExchange::Advance() {
  if (!FConnected) {
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(FFd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    if (error != 0) Fail("Cannot reach the DNS server over TCP", error);
    FConnected = true;
  }
  while (FSent < FOut.size()) {
    const ssize_t n = send(FFd, FOut.data() + FSent, FOut.size() - FSent, MSG_NOSIGNAL);
    if (n > 0) {
      FSent += static_cast<size_t>(n);
    } else if (errno == EAGAIN || errno == EINTR || errno == ENOTCONN) {
      return false;  // ENOTCONN: the connection is not up yet
    } else {
      Fail("Cannot send the query to the DNS server over TCP", errno);
    }
  }
  // The two length bytes, then as many bytes as they announce.
  while (FReceived < FIn.size()) {
    const ssize_t n = recv(FFd, FIn.data() + FReceived, FIn.size() - FReceived, 0);
    if (n == 0) throw EDnsError("The DNS server closed the TCP connection before its answer was complete");
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) return false;
      Fail("No answer from the DNS server over TCP", errno);
    }
    FReceived += static_cast<size_t>(n);
    if (FReceived == kLengthBytes && FIn.size() == kLengthBytes)
      FIn.resize(kLengthBytes + (size_t{FIn[0]} << 8 | FIn[1]));
  }
  FIn.erase(FIn.begin(), FIn.begin() + kLengthBytes);
  return true;
}

}  // namespace korrin
