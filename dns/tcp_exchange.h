#pragma once
// The query again over TCP, for an answer that came truncated over UDP (RFC 1035 4.2.2: each
// message behind a two-byte length). It never waits: the batch polls it beside its UDP queries,
// so a server whose TCP port stalls holds up only its own query, and a stop is seen at once.
#include <cstdint>
#include <span>
#include <vector>

#include "dns/server_address.h"

namespace korrin {

class TTcpExchange {
 public:
  // Starts connecting to `server`. Raises Exception when no socket can be opened (this machine's
  // fault, such as too many open files), EDnsError when the server cannot be reached.
  TTcpExchange(const TServerAddress& server, std::span<const uint8_t> query);
  ~TTcpExchange();
  TTcpExchange(const TTcpExchange&) = delete;
  TTcpExchange& operator=(const TTcpExchange&) = delete;

  int Fd() const { return FFd; }
  // What to poll for: POLLOUT until the query is sent, then POLLIN.
  short Events() const;
  // Goes as far as the socket allows without waiting; true once the whole answer is in Answer().
  // Raises EDnsError when the connection fails or is closed before the answer is complete.
  bool Advance();
  std::vector<uint8_t>& Answer() { return FIn; }

 private:
  int FFd = -1;
  bool FConnected = false;
  std::vector<uint8_t> FOut;
  size_t FSent = 0;
  std::vector<uint8_t> FIn;
  size_t FReceived = 0;
};

}  // namespace korrin
