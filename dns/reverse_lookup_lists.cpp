#include "dns/reverse_lookup_lists.h"

#include <algorithm>
#include <optional>

#include "common/text.h"
#include "dns/dns_error.h"
#include "dns/dns_query.h"

namespace korrin {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// The address in one field, with a port or brackets taken off; empty when it is none.
std::string_view AddressOfField(std::string_view field) {
  TIPAddr value;
  if (!field.empty() && field.front() == '[') {
    const size_t close = field.find(']');
    if (close == std::string_view::npos) return {};
    const std::string_view rest = field.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') return {};
    const std::string_view inside = field.substr(1, close - 1);
    return TryLookupAddress(inside, value) ? inside : std::string_view();
  }
  if (TryLookupAddress(field, value)) return field;
  const size_t colon = field.find(':');
  if (colon != std::string_view::npos && field.find(':', colon + 1) == std::string_view::npos) {
    const std::string_view host = field.substr(0, colon);
    if (TryLookupAddress(host, value) && value.ip_family == TIPAddrFamily::IPv4) return host;
  }
  return {};
}

// The first field of `line` split at `delimiter` (blanks when it is " " or empty) that holds an address.
std::string_view FirstAddressField(std::string_view line, std::string_view delimiter) {
  const bool blanks = delimiter.empty() || delimiter == " ";
  size_t pos = 0;
  while (pos <= line.size()) {
    size_t end;
    if (blanks) {
      end = pos;
      while (end < line.size() && !IsBlank(line[end])) ++end;
    } else {
      end = std::min(line.find(delimiter, pos), line.size());
    }
    const std::string_view address = AddressOfField(TrimBlanks(line.substr(pos, end - pos)));
    if (!address.empty()) return address;
    if (end >= line.size()) break;
    pos = end + (blanks ? 1 : delimiter.size());
  }
  return {};
}

}  // namespace

bool TryLookupAddress(std::string_view text, TIPAddr& value) {
  std::string problem;
  return TryReadIPAddr(text, value, problem);
}

std::string AddressFromOutputLine(std::string_view line, std::string_view delimiter) {
  if (line.substr(0, kByteOrderMark.size()) == kByteOrderMark) line.remove_prefix(kByteOrderMark.size());
  line = TrimBlanks(line);
  std::string_view address = FirstAddressField(line, delimiter);
  if (address.empty() && !(delimiter.empty() || delimiter == " ")) address = FirstAddressField(line, " ");
  return std::string(address);
}

std::vector<std::string> ReverseLookupAddresses(const std::vector<std::string>& lines, std::string_view delimiter) {
  std::vector<std::string> addresses;
  for (const std::string& line : lines) {
    std::string address = AddressFromOutputLine(line, delimiter);
    if (address.empty()) {
      std::string_view text = line;
      if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
      address = std::string(TrimBlanks(text));
    }
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

std::vector<std::string> ResolvConfServers(const std::vector<std::string>& lines) {
  std::vector<std::string> servers;
  for (const std::string& line : lines) {
    std::string_view rest = TrimBlanks(line);
    constexpr std::string_view kKeyword = "nameserver";
    if (rest.substr(0, kKeyword.size()) != kKeyword || rest.size() == kKeyword.size() ||
        !IsBlank(rest[kKeyword.size()]))
      continue;
    rest = TrimBlanks(rest.substr(kKeyword.size()));
    const size_t end = std::min(rest.find_first_of(" \t#;"), rest.size());
    if (end > 0) servers.emplace_back(rest.substr(0, end));
  }
  return servers;
}

TDnsServer SplitServerText(std::string_view text) {
  const auto invalid = [text] { return EDnsError(Format("Invalid DNS server. %.*s", int(text.size()), text.data())); };
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
  // A host that looks like an address must be one: "999.8.8.8" is a typo, not a host name.
  TIPAddr address;
  const bool dotted = !host.empty() && host.find_first_not_of("0123456789.") == std::string_view::npos;
  if ((dotted || host.find(':') != std::string_view::npos) && !TryLookupAddress(host, address)) throw invalid();
  return server;
}

}  // namespace korrin
