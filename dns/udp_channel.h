#pragma once
// A UDP socket connected to one DNS server: the kernel drops datagrams from any other sender, so
// nobody off the path can slip in a reply, and one socket, with its one random source port,
// serves a run of queries. It can be pointed at another server of the same family.
#include <cstdint>
#include <span>
#include <vector>

#include "dns/server_address.h"

namespace korrin {

class TUdpChannel {
 public:
  // Raises Exception when no socket can be opened, EDnsError when it cannot be connected.
  explicit TUdpChannel(const TServerAddress& server);
  ~TUdpChannel();
  TUdpChannel(const TUdpChannel&) = delete;
  TUdpChannel& operator=(const TUdpChannel&) = delete;

  int Fd() const { return FFd; }
  int Family() const { return FFamily; }
  // Connects to `server`, of this channel's family; later datagrams from the old one are dropped.
  void Retarget(const TServerAddress& server);

  // Raises EDnsError when the datagram cannot be sent or the server was reported unreachable.
  void Send(std::span<const uint8_t> datagram);
  // The next datagram already received, false when none is waiting; raises EDnsError when the
  // server's port was reported unreachable.
  bool TryReceive(std::vector<uint8_t>& datagram);

 private:
  [[noreturn]] void Failure(const char* what) const;

  int FFd = -1;
  int FFamily = 0;
};

}  // namespace korrin
