#pragma once
// A DNS path with a slow or lossy link, for the tests and benchmarks: a loopback UDP socket on
// its own thread that passes each query on to a real server and holds its reply back for a
// while, or drops the query, as the test's policy decides per datagram.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/fake_dns_server.h"

namespace korrin::test {

struct TProxyVerdict {
  bool Drop = false;                   // the query never reaches the server
  std::chrono::milliseconds Delay{0};  // how long the reply is held back
};

class TDelayingProxy {
 public:
  // `policy` sees each query (its question name and how often that name was asked before).
  using TPolicy = std::function<TProxyVerdict(const std::string& questionName, int askedBefore)>;

  // `server` is an IPv4 address literal; the proxy listens on 127.0.0.1.
  TDelayingProxy(const std::string& server, uint16_t port, TPolicy policy);
  ~TDelayingProxy();
  TDelayingProxy(const TDelayingProxy&) = delete;
  TDelayingProxy& operator=(const TDelayingProxy&) = delete;

  std::string Address() const { return "127.0.0.1:" + std::to_string(FPort); }
  int Forwarded() const { return FForwarded; }
  int Dropped() const { return FDropped; }

 private:
  void Run();

  TPolicy FPolicy;
  int FClientSide = -1;
  int FServerSide = -1;
  uint16_t FPort = 0;
  std::atomic<bool> FStop{false};
  std::atomic<int> FForwarded{0};
  std::atomic<int> FDropped{0};
  std::thread FThread;
};

}  // namespace korrin::test
