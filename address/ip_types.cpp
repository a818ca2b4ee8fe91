#include "address/ip_types.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/text.h"

namespace korrin {

namespace {

__extension__ typedef unsigned __int128 U128;

U128 ToU128(const TIPv6& v) {
  U128 r = 0;
  for (int i = 7; i >= 0; --i) r = (r << 16) | v.Groups[i];
  return r;
}

TIPv6 FromU128(U128 r) {
  TIPv6 v;
  for (int i = 0; i < 8; ++i) v.Groups[i] = static_cast<uint16_t>(r >> (16 * i));
  return v;
}

// Hex digits, either case; the reader bounds their number.
bool IsHexText(std::string_view text) {
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

uint16_t HexValue(std::string_view text) {
  uint16_t value = 0;
  for (char c : text) value = static_cast<uint16_t>(value * 16 + (c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10));
  return value;
}

void AppendHex(std::string& out, uint16_t v) {
  static const char kDigits[] = "0123456789abcdef";
  bool started = false;
  for (int shift = 12; shift >= 0; shift -= 4) {
    const int d = (v >> shift) & 0xF;
    if (d != 0 || started || shift == 0) {
      out += kDigits[d];
      started = true;
    }
  }
}

// "0" to "255" with their lengths: the dotted text is the generation hot path.
struct TOctetTexts {
  char text[256][4];
  uint8_t length[256];
  TOctetTexts() {
    for (int v = 0; v < 256; ++v) {
      const std::string s = std::to_string(v);
      length[v] = static_cast<uint8_t>(s.size());
      for (size_t i = 0; i < 4; ++i) text[v][i] = i < s.size() ? s[i] : '\0';
    }
  }
};
const TOctetTexts kOctets;

void AppendIPv4(std::string& out, uint32_t v) {
  char buf[16];
  size_t n = 0;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned octet = (v >> shift) & 0xFF;
    std::memcpy(buf + n, kOctets.text[octet], 4);
    n += kOctets.length[octet];
    buf[n++] = '.';
  }
  out.append(buf, n - 1);
}

// Splits at every `sep`: "a..b" gives an empty middle part, which every caller rejects.
std::vector<std::string_view> SplitAt(std::string_view text, char sep) {
  std::vector<std::string_view> parts;
  for (size_t pos = 0;;) {
    const size_t next = text.find(sep, pos);
    parts.push_back(text.substr(pos, next == std::string_view::npos ? next : next - pos));
    if (next == std::string_view::npos) return parts;
    pos = next + 1;
  }
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

bool ReadIPv4(std::string_view text, TIPv4& out, std::string& problem) {
  if (text.empty()) return problem = "empty address", false;
  if (text.size() > 64) return problem = "too long for an address", false;
  const auto parts = SplitAt(text, '.');
  if (parts.size() != 4)
    return problem = Format("an IPv4 address has 4 parts, not %d", static_cast<int>(parts.size())), false;
  uint32_t value = 0;
  for (std::string_view part : parts) {
    uint8_t octet = 0;
    if (!ReadDecimalOctet(part, octet, problem)) return false;
    value = (value << 8) | octet;
  }
  out.Value = value;
  return true;
}

// Groups separated by single ":"; an empty text has none.
bool ReadGroups(std::string_view text, std::vector<uint16_t>& groups, std::string& problem) {
  if (text.empty()) return true;
  for (std::string_view group : SplitAt(text, ':')) {
    if (group.empty()) return problem = "empty IPv6 group", false;
    if (!IsHexText(group)) return problem = "IPv6 group " + Quoted(group) + " is not a hex number up to ffff", false;
    // "00001" is refused as its decimal twin "0001" is: a slip never reads as another address.
    if (group.size() > 4) return problem = "IPv6 group " + Quoted(group) + " has more than 4 hex digits", false;
    groups.push_back(HexValue(group));
  }
  return true;
}

// The full form, the "::" form, and either with a dotted IPv4 tail in place of the last two
// groups (64:ff9b::192.0.2.33, ::ffff:1.2.3.4, 0:0:0:0:0:ffff:1.2.3.4). "::" stands for at
// least one zero group (RFC 4291), so it never stands beside all eight.
bool ReadIPv6(std::string_view text, TIPv6& out, std::string& problem) {
  if (text.empty()) return problem = "empty address", false;
  if (text.size() > 64) return problem = "too long for an address", false;
  std::string_view groupText = text;
  std::vector<uint16_t> tail;
  if (text.find('.') != std::string_view::npos) {
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || text.substr(0, colon).find('.') != std::string_view::npos)
      return problem = "an IPv4 part may only end an IPv6 address", false;
    TIPv4 v4;
    if (!ReadIPv4(text.substr(colon + 1), v4, problem)) return false;
    tail = {static_cast<uint16_t>(v4.Value >> 16), static_cast<uint16_t>(v4.Value)};
    // A "::" right before the tail stays; a single ":" only separates.
    groupText = colon > 0 && text[colon - 1] == ':' ? text.substr(0, colon + 1) : text.substr(0, colon);
    if (groupText.empty()) return problem = "empty IPv6 group", false;
  }
  std::vector<uint16_t> leading, trailing;
  const size_t gap = groupText.find("::");
  if (gap == std::string_view::npos) {
    if (!ReadGroups(groupText, leading, problem)) return false;
    leading.insert(leading.end(), tail.begin(), tail.end());
    if (leading.size() != 8)
      return problem = Format("an IPv6 address has 8 groups, not %d", static_cast<int>(leading.size())), false;
  } else {
    if (groupText.find("::", gap + 1) != std::string_view::npos) return problem = "more than one '::'", false;
    if (!ReadGroups(groupText.substr(0, gap), leading, problem) ||
        !ReadGroups(groupText.substr(gap + 2), trailing, problem))
      return false;
    trailing.insert(trailing.end(), tail.begin(), tail.end());
    if (leading.size() + trailing.size() > 8) return problem = "more than 8 IPv6 groups", false;
    if (leading.size() + trailing.size() == 8) return problem = "'::' with all 8 groups written", false;
  }
  out = TIPv6{};
  for (size_t i = 0; i < leading.size(); ++i) out.SetGroup(static_cast<int>(i), leading[i]);
  for (size_t i = 0; i < trailing.size(); ++i) out.SetGroup(static_cast<int>(8 - trailing.size() + i), trailing[i]);
  return true;
}

}  // namespace

// Leading zeros read as decimal, as other tools write them; "0000000000001" is a slip, not an octet.
bool ReadDecimalOctet(std::string_view text, uint8_t& out, std::string& problem) {
  const auto notAnOctet = [&] {
    problem = "IPv4 part " + Quoted(text) + " is not a number from 0 to 255";
    return false;
  };
  if (text.empty()) return notAnOctet();
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return notAnOctet();
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > 255) return notAnOctet();
  }
  if (text.size() > 3) return problem = "IPv4 part " + Quoted(text) + " has more than 3 digits", false;
  out = static_cast<uint8_t>(value);
  return true;
}

bool TryStrToIPv4(std::string_view text, TIPv4& out) {
  std::string problem;
  return ReadIPv4(text, out, problem);
}

TIPv4 StrToIPv4(std::string_view text) {
  TIPv4 v;
  if (!TryStrToIPv4(text, v))
    throw EIPv4Error(Format("'%.*s' is not a valid IPv4 address", int(text.size()), text.data()));
  return v;
}

std::string IPv4ToStr(TIPv4 value) {
  std::string s;
  AppendIPAddrText(s, TIPAddr::FromIPv4(value), false);
  return s;
}

bool TryStrToIPv6(std::string_view text, TIPv6& out) {
  std::string problem;
  return ReadIPv6(text, out, problem);
}

TIPv6 StrToIPv6(std::string_view text) {
  TIPv6 v;
  if (!TryStrToIPv6(text, v))
    throw EIPv6Error(Format("'%.*s' is not a valid IPv6 address", int(text.size()), text.data()));
  return v;
}

std::string IPv6ToStr(const TIPv6& value) {
  std::string s;
  AppendIPAddrText(s, TIPAddr::FromIPv6(value), false);
  return s;
}

bool TryReadIPAddr(std::string_view text, TIPAddr& out, std::string& problem) {
  problem.clear();
  if (text.find(':') != std::string_view::npos) {
    TIPv6 v;
    if (!ReadIPv6(text, v, problem)) return false;
    out = TIPAddr::FromIPv6(v);
  } else {
    TIPv4 v;
    if (!ReadIPv4(text, v, problem)) return false;
    out = TIPAddr::FromIPv4(v);
  }
  return true;
}

bool TryStrToIPAddr(std::string_view text, TIPAddr& out) {
  std::string problem;
  return TryReadIPAddr(text, out, problem);
}

TIPAddr StrToIPAddr(std::string_view text) {
  if (text.find(':') != std::string_view::npos) return TIPAddr::FromIPv6(StrToIPv6(text));
  return TIPAddr::FromIPv4(StrToIPv4(text));
}

void AppendIPAddrText(std::string& out, const TIPAddr& value, bool escapeIPv6) {
  if (value.ip_family == TIPAddrFamily::IPv4) {
    AppendIPv4(out, value.ipv4.Value);
    return;
  }
  if (escapeIPv6) out += '[';
  const TIPv6& v = value.ipv6;
  // RFC 5952: the longest run of two or more zero groups becomes "::", the first of equal runs;
  // a lone zero group stays "0".
  int runStart = -1, runLength = 1;
  for (int i = 0; i < 8;) {
    int end = i;
    while (end < 8 && v.Group(end) == 0) ++end;
    if (end - i > runLength) {
      runStart = i;
      runLength = end - i;
    }
    i = std::max(end, i + 1);
  }
  for (int i = 0; i < 8; ++i) {
    if (i == runStart) {
      out += "::";
      i += runLength - 1;
      continue;
    }
    if (i > 0 && i != runStart + runLength) out += ':';
    AppendHex(out, v.Group(i));
  }
  if (escapeIPv6) out += ']';
}

std::string IPAddrToStr(const TIPAddr& value, bool escapeIPv6) {
  std::string s;
  AppendIPAddrText(s, value, escapeIPv6);
  return s;
}

std::string IPAddrQuadrantToStr(const TIPAddr& value, int n) {
  std::string s;
  if (value.ip_family == TIPAddrFamily::IPv4) {
    if (n >= 1 && n <= 4) s = std::to_string((value.ipv4.Value >> (8 * (4 - n))) & 0xFF);
  } else if (n >= 1 && n <= 8) {
    AppendHex(s, value.ipv6.Group(n - 1));
  }
  return s;
}

TIPAddr MakeIPAddrMask(TIPAddrFamily family, int prefix, int suffixStart) {
  const int w = FamilyWidth(family);
  const U128 all = ~U128{0} >> (128 - w);
  // Bits from position w - s up to w - p - 1 vary: clear them, keep everything else.
  const int low = w - suffixStart, high = w - prefix;  // varying bits are [low, high)
  const U128 below = low <= 0 ? 0 : (low >= 128 ? ~U128{0} : (U128{1} << low) - 1);
  const U128 belowHigh = high <= 0 ? 0 : (high >= 128 ? ~U128{0} : (U128{1} << high) - 1);
  const U128 mask = all & ~(belowHigh & ~below);
  if (family == TIPAddrFamily::IPv4) return TIPAddr::FromIPv4(TIPv4{static_cast<uint32_t>(mask)});
  return TIPAddr::FromIPv6(FromU128(mask));
}

void AndIPAddr(TIPAddr& a, const TIPAddr& b) {
  if (a.ip_family != b.ip_family) return;
  if (a.ip_family == TIPAddrFamily::IPv4) a.ipv4.Value &= b.ipv4.Value;
  else
    for (int i = 0; i < 8; ++i) a.ipv6.Groups[i] &= b.ipv6.Groups[i];
}

void OrIPAddr(TIPAddr& a, const TIPAddr& b) {
  if (a.ip_family != b.ip_family) return;
  if (a.ip_family == TIPAddrFamily::IPv4) a.ipv4.Value |= b.ipv4.Value;
  else
    for (int i = 0; i < 8; ++i) a.ipv6.Groups[i] |= b.ipv6.Groups[i];
}

void NotIPAddr(TIPAddr& a) {
  if (a.ip_family == TIPAddrFamily::IPv4) a.ipv4.Value = ~a.ipv4.Value;
  else
    for (auto& g : a.ipv6.Groups) g = static_cast<uint16_t>(~g);
}

bool SameIPAddr(const TIPAddr& a, const TIPAddr& b) {
  if (a.ip_family != b.ip_family) return false;
  return a.ip_family == TIPAddrFamily::IPv4 ? a.ipv4 == b.ipv4 : a.ipv6 == b.ipv6;
}

bool SameMaskedIPAddr(const TIPAddr& a, const TIPAddr& b, const TIPAddr& mask) {
  if (a.ip_family != b.ip_family || a.ip_family != mask.ip_family) return false;
  if (a.ip_family == TIPAddrFamily::IPv4) return ((a.ipv4.Value ^ b.ipv4.Value) & mask.ipv4.Value) == 0;
  for (int i = 0; i < 8; ++i)
    if ((a.ipv6.Groups[i] ^ b.ipv6.Groups[i]) & mask.ipv6.Groups[i]) return false;
  return true;
}

void IncIPAddr(TIPAddr& a, int bit) {
  if (bit < 0 || bit >= FamilyWidth(a.ip_family)) return;
  if (a.ip_family == TIPAddrFamily::IPv4) a.ipv4.Value += uint32_t{1} << bit;
  else a.ipv6 = FromU128(ToU128(a.ipv6) + (U128{1} << bit));
}

int CompareIPAddr(const TIPAddr& a, const TIPAddr& b) {
  if (a.ip_family != b.ip_family) return a.ip_family < b.ip_family ? -1 : 1;
  const U128 x = a.ip_family == TIPAddrFamily::IPv4 ? a.ipv4.Value : ToU128(a.ipv6);
  const U128 y = b.ip_family == TIPAddrFamily::IPv4 ? b.ipv4.Value : ToU128(b.ipv6);
  return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace korrin
