#include "dns/dns_query.h"

#include <algorithm>

#include "common/text.h"
#include "dns/dns_error.h"
#include "dns/dns_record.h"

namespace korrin {

namespace {

constexpr size_t kMaxLabel = 63;  // a longer length byte would read as a compression pointer
constexpr size_t kMaxName = 255;  // RFC 1035 limit on a name's wire form

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Appends the padded digits of the groups of `part` ("" gives none); false on a bad group.
bool AppendGroups(std::string_view part, std::string& digits, int& groups) {
  if (part.empty()) return true;
  size_t pos = 0;
  while (true) {
    const size_t colon = part.find(':', pos);
    const std::string_view group = part.substr(pos, colon == std::string_view::npos ? colon : colon - pos);
    if (group.empty() || group.size() > 4) return false;
    for (char c : group)
      if (!IsHexDigit(c)) return false;
    digits.append(4 - group.size(), '0');
    digits.append(group);
    ++groups;
    if (colon == std::string_view::npos) return true;
    pos = colon + 1;
  }
}

std::string UpperCase(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::vector<std::string_view> SplitAtDots(std::string_view text, size_t maxCuts) {
  std::vector<std::string_view> pieces;
  size_t pos = 0;
  for (size_t dot; pieces.size() < maxCuts && (dot = text.find('.', pos)) != std::string_view::npos; pos = dot + 1)
    pieces.push_back(text.substr(pos, dot - pos));
  pieces.push_back(text.substr(pos));
  return pieces;
}

std::vector<uint8_t> EncodeName(const std::vector<std::string_view>& labels, std::string_view domain) {
  std::vector<uint8_t> wire;
  bool valid = true;
  for (std::string_view label : labels) {
    valid = valid && !label.empty() && label.size() <= kMaxLabel;
    wire.push_back(static_cast<uint8_t>(label.size()));
    wire.insert(wire.end(), label.begin(), label.end());
  }
  wire.push_back(0);
  if (!valid || wire.size() > kMaxName)
    throw EDnsError(Format("Invalid DNS query name. %.*s", int(domain.size()), domain.data()));
  return wire;
}

void PutWord(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

}  // namespace

bool TryExpandIPv6(std::string_view text, std::string& digits) {
  const size_t gap = text.find("::");
  std::string head, tail;
  int headGroups = 0, tailGroups = 0;
  if (gap == std::string_view::npos) {
    if (!AppendGroups(text, head, headGroups) || headGroups != 8) return false;
    digits = head;
    return true;
  }
  const std::string_view after = text.substr(gap + 2);
  if (after.find("::") != std::string_view::npos) return false;
  if (!AppendGroups(text.substr(0, gap), head, headGroups) || !AppendGroups(after, tail, tailGroups) ||
      headGroups + tailGroups > 8)
    return false;
  digits = head + std::string(4 * (8 - headGroups - tailGroups), '0') + tail;
  return true;
}

std::vector<uint8_t> ReverseQueryName(std::string_view domain) {
  const std::string upper = UpperCase(domain);
  if (upper.find("IN-ADDR") != std::string::npos || upper.find("IP6.INT") != std::string::npos ||
      upper.find("IP6.ARPA") != std::string::npos) {
    // A closing "." names the root and adds no label.
    std::string_view name = domain;
    if (!name.empty() && name.back() == '.') name.remove_suffix(1);
    return EncodeName(SplitAtDots(name, std::string_view::npos), domain);
  }
  std::string digits;  // outlives the labels that view it
  std::vector<std::string_view> labels;
  if (domain.find(':') != std::string_view::npos) {
    if (!TryExpandIPv6(domain, digits))
      throw EDnsError(Format("Invalid IP V6 Address. %.*s", int(domain.size()), domain.data()));
    for (size_t i = digits.size(); i-- > 0;) labels.push_back(std::string_view(digits).substr(i, 1));
    labels.push_back("ip6");
  } else {
    labels = SplitAtDots(domain, 3);
    std::reverse(labels.begin(), labels.end());
    labels.push_back("in-addr");
  }
  labels.push_back("arpa");
  return EncodeName(labels, domain);
}

std::vector<uint8_t> BuildPtrQuery(uint16_t id, bool recursionDesired, std::string_view domain) {
  const std::vector<uint8_t> name = ReverseQueryName(domain);
  std::vector<uint8_t> query;
  query.reserve(12 + name.size() + 4);
  PutWord(query, id);
  PutWord(query, recursionDesired ? 0x0100 : 0);
  PutWord(query, 1);  // QDCOUNT
  PutWord(query, 0);
  PutWord(query, 0);
  PutWord(query, 0);
  query.insert(query.end(), name.begin(), name.end());
  PutWord(query, kDnsTypePTR);
  PutWord(query, kDnsClassIN);
  return query;
}

}  // namespace korrin
