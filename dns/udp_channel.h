#pragma once
// A UDP socket connected to one DNS server: the kernel drops datagrams from any other sender, so
// nobody off the path can slip in a reply, and one socket serves many queries to that server.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "address/ip_types.h"

namespace korrin {

class TUdpChannel {
 public:
  // Resolves host (addresses of `preferred` family first) and connects a socket of the family
  // found; raises EDnsError when the host cannot be resolved or reached.
  TUdpChannel(const std::string& host, uint16_t port, TIPAddrFamily preferred);
  ~TUdpChannel();
  TUdpChannel(const TUdpChannel&) = delete;
  TUdpChannel& operator=(const TUdpChannel&) = delete;

  // Sends `datagram` and returns the first datagram received within `waitMs`, empty when none
  // came. Datagrams left over from earlier exchanges are discarded first. Raises EDnsError when
  // the datagram cannot be sent or the server port is reported unreachable.
  std::vector<uint8_t> Exchange(std::span<const uint8_t> datagram, int32_t waitMs);

 private:
  [[noreturn]] void Failure(const char* what) const;

  std::string FHost;
  int FFd = -1;
};

}  // namespace korrin
