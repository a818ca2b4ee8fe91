#pragma once
// The query again over TCP, for an answer that came truncated over UDP (RFC 1035 4.2.2: each
// message behind a two-byte length).
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "dns/server_address.h"

namespace korrin {

// The message the server sends back before `deadline`, nothing when it did not come in time;
// raises EDnsError when the server cannot be reached or closes the connection early.
std::optional<std::vector<uint8_t>> ExchangeOverTcp(const TServerAddress& server, std::span<const uint8_t> query,
                                                    std::chrono::steady_clock::time_point deadline);

}  // namespace korrin
