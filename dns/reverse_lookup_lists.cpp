#include "dns/reverse_lookup_lists.h"

#include <optional>

#include "common/text.h"
#include "dns/dns_error.h"
#include "dns/dns_query.h"

namespace korrin {

namespace {

bool IsCountryCode(std::string_view token) {
  return token.size() == 2 && token[0] >= 'A' && token[0] <= 'Z' && token[1] >= 'A' && token[1] <= 'Z';
}

std::string_view AddressToken(std::string_view line) {
  const size_t first = line.find(' ');
  if (first == std::string_view::npos) return line;
  const size_t second = line.find(' ', first + 1);
  const std::string_view token2 = line.substr(first + 1, second == std::string_view::npos ? second : second - first - 1);
  if (second == std::string_view::npos && IsCountryCode(token2)) return line.substr(0, first);
  return token2;
}

}  // namespace

std::string AddressFromOutputLine(std::string_view line) {
  const std::string_view token = AddressToken(line);
  std::string digits;
  if (!token.empty() && token.front() == '[') {
    const size_t close = token.find(']');
    if (close != std::string_view::npos) return std::string(token.substr(1, close - 1));
  } else if (TryExpandIPv6(token, digits)) {
    return std::string(token);
  }
  return std::string(token.substr(0, token.find(':')));
}

std::vector<std::string> ReverseLookupAddresses(const std::vector<std::string>& lines) {
  std::vector<std::string> addresses;
  for (const std::string& line : lines) {
    std::string address = AddressFromOutputLine(line);
    if (address.empty() || (!addresses.empty() && addresses.back() == address)) continue;
    addresses.push_back(std::move(address));
  }
  return addresses;
}

std::vector<std::string> ReverseLookupServers(const std::vector<std::string>& lines) {
  // A tab or space typed around a server would make every query of the batch fail, unnoticed.
  std::vector<std::string> servers;
  for (const std::string& line : lines)
    if (const std::string_view server = Trim(line); !server.empty()) servers.emplace_back(server);
  return servers;
}

TDnsServer SplitServerText(std::string_view text) {
  const auto invalid = [text] {
    return EDnsError(Format("Invalid DNS server. %.*s", int(text.size()), text.data()));
  };
  std::string_view host = text;
  std::optional<std::string_view> port;
  if (!text.empty() && text.front() == '[') {
    const size_t close = text.find(']');
    if (close == std::string_view::npos) throw invalid();
    host = text.substr(1, close - 1);
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') throw invalid();
      port = rest.substr(1);
    }
  } else if (const size_t colon = text.find(':');
             colon != std::string_view::npos && text.find(':', colon + 1) == std::string_view::npos) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  TDnsServer server{std::string(host), 53};
  if (port) {
    const auto value = TryStrToInt(*port);
    if (!value || *value < 1 || *value > 65535) throw invalid();
    server.Port = static_cast<uint16_t>(*value);
  }
  if (server.Host.empty()) throw invalid();
  return server;
}

}  // namespace korrin
