#include "dns/udp_channel.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/text.h"
#include "dns/dns_error.h"

namespace korrin {

namespace {

// The largest DNS message a datagram can carry: servers that ignore the 512-byte limit of queries
// without EDNS send more, and a cut answer would read as a bad reply.
constexpr size_t kReceiveBufferSize = 65535;

}  // namespace

TUdpChannel::TUdpChannel(const TServerAddress& server) : FFamily(server.Family()) {
  FFd = socket(FFamily, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  // This machine's fault (too many open files), not the server's: the batch must not go on.
  if (FFd < 0) throw Exception(Format("Cannot open a socket for the DNS server: %s", std::strerror(errno)));
  try {
    Retarget(server);
  } catch (...) {
    close(FFd);
    throw;
  }
}

TUdpChannel::~TUdpChannel() { close(FFd); }

void TUdpChannel::Failure(const char* what) const { throw EDnsError(Format("%s: %s", what, std::strerror(errno))); }

void TUdpChannel::Retarget(const TServerAddress& server) {
  // An error the old server's host reported must not fail the first send to the new one.
  int pending = 0;
  socklen_t length = sizeof pending;
  getsockopt(FFd, SOL_SOCKET, SO_ERROR, &pending, &length);
  if (connect(FFd, reinterpret_cast<const sockaddr*>(&server.Address), server.Length) != 0)
    Failure("Cannot reach the DNS server");
}

void TUdpChannel::Send(std::span<const uint8_t> datagram) {
  ssize_t sent;
  do {
    sent = send(FFd, datagram.data(), datagram.size(), 0);
  } while (sent < 0 && errno == EINTR);
  if (sent != static_cast<ssize_t>(datagram.size())) Failure("Cannot send the query to the DNS server");
}

bool TUdpChannel::TryReceive(std::vector<uint8_t>& datagram) {
  datagram.resize(kReceiveBufferSize);
  ssize_t received;
  do {
    received = recv(FFd, datagram.data(), datagram.size(), MSG_DONTWAIT);
  } while (received < 0 && errno == EINTR);
  if (received < 0) {
    datagram.clear();
    if (errno == EAGAIN || errno == EWOULDBLOCK) return false;
    Failure("No reply from the DNS server");
  }
  datagram.resize(static_cast<size_t>(received));
  return true;
}

}  // namespace korrin
