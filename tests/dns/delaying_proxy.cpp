#include "tests/dns/delaying_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <queue>
#include <stdexcept>
#include <vector>

namespace korrin::test {

namespace {

using TClock = std::chrono::steady_clock;

sockaddr_in Ipv4(const std::string& address, uint16_t port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  if (inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1)
    throw std::runtime_error("proxy: bad address " + address);
  return addr;
}

struct THeldReply {
  TClock::time_point Due;
  TBytes Bytes;
  sockaddr_in To;
  bool operator>(const THeldReply& other) const { return Due > other.Due; }
};

// The ID and question of a message: what ties a reply to the query that asked it.
TBytes Key(const TBytes& message) {
  size_t end = 12;
  while (end < message.size() && message[end] != 0 && message[end] < 64) end += message[end] + 1;
  end = std::min(end + 5, message.size());
  TBytes key(message.begin(), message.begin() + 2);
  if (end > 12) key.insert(key.end(), message.begin() + 12, message.begin() + static_cast<std::ptrdiff_t>(end));
  return key;
}

}  // namespace

TDelayingProxy::TDelayingProxy(const std::string& server, uint16_t port, TPolicy policy) : FPolicy(std::move(policy)) {
  FClientSide = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  FServerSide = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in local = Ipv4("127.0.0.1", 0);
  const sockaddr_in upstream = Ipv4(server, port);
  socklen_t len = sizeof local;
  if (bind(FClientSide, reinterpret_cast<sockaddr*>(&local), len) != 0 ||
      connect(FServerSide, reinterpret_cast<const sockaddr*>(&upstream), sizeof upstream) != 0) {
    close(FClientSide);
    close(FServerSide);
    throw std::runtime_error("proxy: cannot open its sockets");
  }
  getsockname(FClientSide, reinterpret_cast<sockaddr*>(&local), &len);
  FPort = ntohs(local.sin_port);
  FThread = std::thread([this] { Run(); });
}

TDelayingProxy::~TDelayingProxy() {
  FStop = true;
  FThread.join();
  close(FClientSide);
  close(FServerSide);
}

void TDelayingProxy::Run() {
  std::map<TBytes, std::vector<std::pair<sockaddr_in, std::chrono::milliseconds>>> waiting;
  std::map<std::string, int> asked;
  std::priority_queue<THeldReply, std::vector<THeldReply>, std::greater<>> held;
  TBytes buffer(8192);
  while (!FStop) {
    int wait = 20;
    if (!held.empty()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(held.top().Due - TClock::now()).count();
      wait = static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(wait, left)));
    }
    pollfd fds[2] = {{FClientSide, POLLIN, 0}, {FServerSide, POLLIN, 0}};
    poll(fds, 2, wait);
    if (fds[0].revents & POLLIN) {
      sockaddr_in from{};
      socklen_t fromLen = sizeof from;
      const ssize_t n =
          recvfrom(FClientSide, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
      if (n >= 12) {
        const TBytes query(buffer.begin(), buffer.begin() + n);
        const std::string name = QuestionName(query);
        const TProxyVerdict verdict = FPolicy(name, asked[name]++);
        if (verdict.Drop) {
          ++FDropped;
        } else {
          waiting[Key(query)].emplace_back(from, verdict.Delay);
          send(FServerSide, query.data(), query.size(), 0);
          ++FForwarded;
        }
      }
    }
    if (fds[1].revents & POLLIN) {
      const ssize_t n = recv(FServerSide, buffer.data(), buffer.size(), 0);
      if (n >= 12) {
        const TBytes reply(buffer.begin(), buffer.begin() + n);
        const auto it = waiting.find(Key(reply));
        if (it != waiting.end() && !it->second.empty()) {
          const auto [to, delay] = it->second.front();
          it->second.erase(it->second.begin());
          if (it->second.empty()) waiting.erase(it);
          held.push({TClock::now() + delay, reply, to});
        }
      }
    }
    while (!held.empty() && held.top().Due <= TClock::now()) {
      const THeldReply& reply = held.top();
      sendto(FClientSide, reply.Bytes.data(), reply.Bytes.size(), 0, reinterpret_cast<const sockaddr*>(&reply.To),
             sizeof reply.To);
      held.pop();
    }
  }
}

}  // namespace korrin::test
