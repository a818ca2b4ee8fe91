#pragma once
// A scripted DNS server for the tests: a loopback UDP socket on its own thread that answers each
// query with whatever datagrams the test's script crafts, so that malformed replies can be sent,
// and a TCP listener on the same port that answers with the TCP script's message.
#include <sys/socket.h>
#include <atomic>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korrin::test {

using TBytes = std::vector<uint8_t>;

struct TFakeDatagram {
  TBytes Bytes;
  bool FromOtherSocket = false;  // sent from a second socket, as someone else on the path would
};

class TFakeDnsServer {
 public:
  using TScript = std::function<std::vector<TFakeDatagram>(const TBytes& query)>;

  using TTcpScript = std::function<TBytes(const TBytes& query)>;

  // `family` is AF_INET (127.0.0.1) or AF_INET6 (::1). Without a TCP script, TCP connections
  // are closed unanswered, or held open unread after HoldTcpConnections().
  explicit TFakeDnsServer(TScript script, int family = AF_INET, TTcpScript tcpScript = {});
  ~TFakeDnsServer();
  TFakeDnsServer(const TFakeDnsServer&) = delete;
  TFakeDnsServer& operator=(const TFakeDnsServer&) = delete;

  uint16_t Port() const { return FPort; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(FPort); }
  std::vector<TBytes> Queries() const;
  std::vector<TBytes> TcpQueries() const;
  // From now on TCP connections are accepted and never read nor answered, as behind a firewall
  // that lets the handshake through and stalls the rest.
  void HoldTcpConnections() { FHoldTcp = true; }
  // The connections held open so far.
  size_t HeldTcpConnections() const;

 private:
  void Serve();
  void ServeTcp();

  TScript FScript;
  TTcpScript FTcpScript;
  int FListener = -1;
  int FSocket = -1;
  int FOtherSocket = -1;
  uint16_t FPort = 0;
  std::atomic<bool> FStop{false};
  std::atomic<bool> FHoldTcp{false};
  std::vector<int> FHeld;  // under FLock
  mutable std::mutex FLock;
  std::vector<TBytes> FQueries;
  std::vector<TBytes> FTcpQueries;
  std::thread FThread;
};

// Building blocks of crafted messages.
TBytes Cat(std::initializer_list<TBytes> parts);
TBytes Word(uint16_t value);
TBytes Header(uint16_t id, uint16_t flags, uint16_t qd, uint16_t an, uint16_t ns, uint16_t ar);
TBytes WireName(const std::string& dotted);  // "host.example" as labels and the zero byte
TBytes Record(const TBytes& name, uint16_t type, const TBytes& rdata);
uint16_t QueryId(const TBytes& query);
TBytes Question(const TBytes& query);  // the question section of a query, as sent
// The question name of a query in text form, "7.2.0.192.in-addr.arpa".
std::string QuestionName(const TBytes& query);

}  // namespace korrin::test
