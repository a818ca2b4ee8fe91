#pragma once
// One datagram out and at most one back. The socket is connected to the server, so the kernel
// drops datagrams from any other sender and nobody off the path can slip in a reply.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "address/ip_types.h"

namespace korrin {

// Sends `datagram` to host:port (a name is resolved first, addresses of `preferred` family
// first) and returns the one datagram received within `waitMs`, empty when none came. Raises
// EDnsError when the host cannot be resolved, the datagram cannot be sent or the server port
// is reported unreachable.
std::vector<uint8_t> ExchangeDatagram(const std::string& host, uint16_t port, TIPAddrFamily preferred,
                                      std::span<const uint8_t> datagram, int32_t waitMs);

}  // namespace korrin
