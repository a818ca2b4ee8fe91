#include "tests/support/fake_dns_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace korrin::test {

namespace {

sockaddr_storage LoopbackAddress(int family, uint16_t port, socklen_t& len) {
  sockaddr_storage addr{};
  len = sizeof(sockaddr_in);
  if (family == AF_INET6) {
    auto& v6 = reinterpret_cast<sockaddr_in6&>(addr);
    v6.sin6_family = AF_INET6;
    v6.sin6_addr = in6addr_loopback;
    v6.sin6_port = htons(port);
    len = sizeof v6;
  } else {
    auto& v4 = reinterpret_cast<sockaddr_in&>(addr);
    v4.sin_family = AF_INET;
    v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    v4.sin_port = htons(port);
  }
  return addr;
}

int LoopbackSocket(int family, int type = SOCK_DGRAM, uint16_t port = 0) {
  const int fd = socket(family, type | SOCK_CLOEXEC, 0);
  socklen_t len = 0;
  sockaddr_storage addr = LoopbackAddress(family, port, len);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0) {
    if (fd >= 0) close(fd);
    throw std::runtime_error("fake DNS server: cannot bind a loopback socket");
  }
  return fd;
}

bool ReadAll(int fd, uint8_t* data, size_t size) {
  for (size_t got = 0; got < size;) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 2000) <= 0) return false;
    const ssize_t n = read(fd, data + got, size - got);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

uint16_t BoundPort(int fd) {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  return ntohs(addr.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(addr).sin6_port
                                          : reinterpret_cast<sockaddr_in&>(addr).sin_port);
}

}  // namespace

TFakeDnsServer::TFakeDnsServer(TScript script, int family, TTcpScript tcpScript)
    : FScript(std::move(script)),
      FTcpScript(std::move(tcpScript)),
      FSocket(LoopbackSocket(family)),
      FOtherSocket(LoopbackSocket(family)) {
  FPort = BoundPort(FSocket);
  try {
    FListener = LoopbackSocket(family, SOCK_STREAM, FPort);
    listen(FListener, 64);  // room for every connection of a batch that asks over TCP at once
  } catch (...) {
    close(FSocket);
    close(FOtherSocket);
    throw;
  }
  FThread = std::thread([this] { Serve(); });
}

TFakeDnsServer::~TFakeDnsServer() {
  FStop = true;
  FThread.join();
  close(FSocket);
  close(FOtherSocket);
  close(FListener);
  for (const int fd : FHeld) close(fd);
}

size_t TFakeDnsServer::HeldTcpConnections() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FHeld.size();
}

std::vector<TBytes> TFakeDnsServer::Queries() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FQueries;
}

std::vector<TBytes> TFakeDnsServer::TcpQueries() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FTcpQueries;
}

// One connection, one query, one answer, as a client that fell back from UDP sends it.
void TFakeDnsServer::ServeTcp() {
  const int connection = accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
  if (connection < 0) return;
  if (FHoldTcp) {
    std::lock_guard<std::mutex> guard(FLock);
    FHeld.push_back(connection);
    return;
  }
  uint8_t length[2];
  if (ReadAll(connection, length, 2)) {
    TBytes query(size_t{length[0]} << 8 | length[1]);
    if (ReadAll(connection, query.data(), query.size())) {
      {
        std::lock_guard<std::mutex> guard(FLock);
        FTcpQueries.push_back(query);
      }
      if (FTcpScript) {
        const TBytes answer = FTcpScript(query);
        const TBytes framed = Cat({Word(static_cast<uint16_t>(answer.size())), answer});
        (void)!write(connection, framed.data(), framed.size());
      }
    }
  }
  close(connection);
}

void TFakeDnsServer::Serve() {
  while (!FStop) {
    pollfd fds[2] = {{FSocket, POLLIN, 0}, {FListener, POLLIN, 0}};
    if (poll(fds, 2, 20) <= 0) continue;
    if (fds[1].revents != 0) ServeTcp();
    if (fds[0].revents == 0) continue;
    TBytes query(8192);
    sockaddr_storage from{};
    socklen_t fromLen = sizeof from;
    const ssize_t n = recvfrom(FSocket, query.data(), query.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n < 0) continue;
    query.resize(static_cast<size_t>(n));
    {
      std::lock_guard<std::mutex> guard(FLock);
      FQueries.push_back(query);
    }
    for (const TFakeDatagram& reply : FScript(query))
      sendto(reply.FromOtherSocket ? FOtherSocket : FSocket, reply.Bytes.data(), reply.Bytes.size(), 0,
             reinterpret_cast<sockaddr*>(&from), fromLen);
  }
}

TBytes Cat(std::initializer_list<TBytes> parts) {
  TBytes out;
  for (const TBytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

TBytes Word(uint16_t value) { return {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)}; }

TBytes Header(uint16_t id, uint16_t flags, uint16_t qd, uint16_t an, uint16_t ns, uint16_t ar) {
  return Cat({Word(id), Word(flags), Word(qd), Word(an), Word(ns), Word(ar)});
}

TBytes WireName(const std::string& dotted) {
  TBytes out;
  size_t pos = 0;
  while (pos < dotted.size()) {
    size_t dot = dotted.find('.', pos);
    if (dot == std::string::npos) dot = dotted.size();
    out.push_back(static_cast<uint8_t>(dot - pos));
    out.insert(out.end(), dotted.begin() + pos, dotted.begin() + dot);
    pos = dot + 1;
  }
  out.push_back(0);
  return out;
}

TBytes Record(const TBytes& name, uint16_t type, const TBytes& rdata) {
  return Cat({name, Word(type), Word(1), {0, 0, 0x0E, 0x10}, Word(static_cast<uint16_t>(rdata.size())), rdata});
}

uint16_t QueryId(const TBytes& query) { return static_cast<uint16_t>(query.at(0) << 8 | query.at(1)); }

TBytes Question(const TBytes& query) { return TBytes(query.begin() + 12, query.end()); }

std::string QuestionName(const TBytes& query) {
  std::string name;
  for (size_t pos = 12; query.at(pos) != 0; pos += query[pos] + 1) {
    if (!name.empty()) name += '.';
    name.append(query.begin() + pos + 1, query.begin() + pos + 1 + query[pos]);
  }
  return name;
}

}  // namespace korrin::test
