#pragma once
// The socket address of a DNS server, found once per batch: a server given by name is looked up
// within the query wait, so that a slow or broken name service cannot hold a batch up for long.
#include <sys/socket.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "address/ip_types.h"

namespace korrin {

struct TServerAddress {
  sockaddr_storage Address{};
  socklen_t Length = 0;
  int Family() const { return Address.ss_family; }
};

// The address of each of `hosts` (all asked at once, addresses of `preferred` family first) or,
// for a host without one within `waitMs`, nothing and the reason in `problems`. `stop` is called
// at least every 50 ms while a name is awaited; when it returns true, the wait ends at once.
std::vector<std::optional<TServerAddress>> ResolveServerAddresses(const std::vector<std::string>& hosts,
                                                                  const std::vector<uint16_t>& ports,
                                                                  TIPAddrFamily preferred, int32_t waitMs,
                                                                  std::vector<std::string>& problems,
                                                                  const std::function<bool()>& stop);

}  // namespace korrin
