#pragma once
// A bound UDP socket on loopback that never reads: a DNS server that is there and never answers,
// for the tests and benchmarks of timeouts.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace korrin::test {

class TSilentServer {
 public:
  TSilentServer() : FFd(socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(FFd, reinterpret_cast<sockaddr*>(&addr), len);
    getsockname(FFd, reinterpret_cast<sockaddr*>(&addr), &len);
    FAddress = "127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
  }
  ~TSilentServer() { close(FFd); }
  TSilentServer(const TSilentServer&) = delete;
  TSilentServer& operator=(const TSilentServer&) = delete;

  const std::string& Address() const { return FAddress; }

 private:
  int FFd;
  std::string FAddress;
};

}  // namespace korrin::test
