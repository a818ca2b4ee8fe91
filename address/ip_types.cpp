#include "address/ip_types.h"

#include <algorithm>
#include <cstring>
#include <optional>

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

// Returns the position of `c` at or after `pos`, or npos.
size_t FindFrom(std::string_view s, char c, size_t pos) { return s.find(c, pos); }

std::optional<int32_t> ReadOctet(std::string_view text) {
  const auto v = TryStrToInt(text);
  if (!v || *v < 0 || *v > 255) return std::nullopt;
  return v;
}

bool IsHexGroup(std::string_view text, uint16_t& out) {
  if (text.empty()) return false;
  uint32_t value = 0;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    value = value * 16 + d;
    if (value > 0xFFFF) return false;
  }
  out = static_cast<uint16_t>(value);
  return true;
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

bool ParseMapped(std::string_view text, size_t p, TIPv6& out) {
  if (p + 6 > text.size()) return false;
  if (!EndsWithNoCase(text.substr(p + 2, 4), "ffff")) return false;
  const std::string s = std::string(text) + ".";
  size_t pos = p + 7;
  int parts[4];
  for (int& part : parts) {
    if (pos > s.size()) return false;
    const size_t dot = FindFrom(s, '.', pos);
    if (dot == std::string::npos) return false;
    const auto v = ReadOctet(std::string_view(s).substr(pos, dot - pos));
    if (!v) return false;
    part = *v;
    pos = dot + 1;
  }
  out = TIPv6{};
  out.SetGroup(5, 0xFFFF);
  out.SetGroup(6, static_cast<uint16_t>(parts[0] * 256 + parts[1]));
  out.SetGroup(7, static_cast<uint16_t>(parts[2] * 256 + parts[3]));
  return true;
}

bool ParseCompressed(std::string_view text, size_t p, TIPv6& out) {
  const std::string s = std::string(text) + ":";
  uint16_t leading[8], trailing[8];
  int nLeading = 0, nTrailing = 0;
  size_t pos = 0;
  while (pos < p) {
    const size_t colon = FindFrom(s, ':', pos);
    if (nLeading == 8 || !IsHexGroup(std::string_view(s).substr(pos, colon - pos), leading[nLeading])) return false;
    ++nLeading;
    pos = colon + 1;
  }
  if (p + 2 != text.size()) {
    pos = p + 2;
    while (pos < s.size()) {
      const size_t colon = FindFrom(s, ':', pos);
      if (nLeading + nTrailing == 8 ||
          !IsHexGroup(std::string_view(s).substr(pos, colon - pos), trailing[nTrailing]))
        return false;
      ++nTrailing;
      pos = colon + 1;
    }
  }
  out = TIPv6{};
  for (int i = 0; i < nLeading; ++i) out.SetGroup(i, leading[i]);
  for (int i = 0; i < nTrailing; ++i) out.SetGroup(8 - nTrailing + i, trailing[i]);
  return true;
}

bool ParseFull(std::string_view text, TIPv6& out) {
  const std::string s = std::string(text) + ":";
  size_t pos = 0;
  for (int g = 0; g < 8; ++g) {
    const size_t colon = FindFrom(s, ':', pos);
    uint16_t value;
    if (colon == std::string::npos || !IsHexGroup(std::string_view(s).substr(pos, colon - pos), value)) return false;
    out.SetGroup(g, value);
    pos = colon + 1;
  }
  return true;
}

}  // namespace

bool TryStrToIPv4(std::string_view text, TIPv4& out) {
  const std::string s = std::string(text) + ".";
  size_t pos = 0;
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t dot = FindFrom(s, '.', pos);
    if (dot == std::string::npos) return false;
    value = (value << 8) | static_cast<uint32_t>(ReadOctet(std::string_view(s).substr(pos, dot - pos)).value_or(0));
    pos = dot + 1;
  }
  out.Value = value;
  return true;
}

TIPv4 StrToIPv4(std::string_view text) {
  TIPv4 v;
  if (!TryStrToIPv4(text, v)) throw EIPv4Error(Format("'%.*s' is not a valid IPv4 address", int(text.size()), text.data()));
  return v;
}

std::string IPv4ToStr(TIPv4 value) {
  std::string s;
  AppendIPAddrText(s, TIPAddr::FromIPv4(value), false);
  return s;
}

bool TryStrToIPv6(std::string_view text, TIPv6& out) {
  const size_t p = text.find("::");
  TIPv6 v;
  bool ok;
  if (p == std::string_view::npos) ok = ParseFull(text, v);
  else if (text.find('.') != std::string_view::npos) ok = ParseMapped(text, p, v);
  else ok = ParseCompressed(text, p, v);
  if (ok) out = v;
  return ok;
}

TIPv6 StrToIPv6(std::string_view text) {
  TIPv6 v;
  if (!TryStrToIPv6(text, v)) throw EIPv6Error(Format("'%.*s' is not a valid IPv6 address", int(text.size()), text.data()));
  return v;
}

std::string IPv6ToStr(const TIPv6& value) {
  std::string s;
  AppendIPAddrText(s, TIPAddr::FromIPv6(value), false);
  return s;
}

bool TryStrToIPAddr(std::string_view text, TIPAddr& out) {
  if (text.find(':') != std::string_view::npos) {
    TIPv6 v;
    if (!TryStrToIPv6(text, v)) return false;
    out = TIPAddr::FromIPv6(v);
  } else {
    TIPv4 v;
    if (!TryStrToIPv4(text, v)) return false;
    out = TIPAddr::FromIPv4(v);
  }
  return true;
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
  int runStart = -1, runEnd = -1;  // the first run of zero groups, however short
  for (int i = 0; i < 8; ++i) {
    if (v.Group(i) != 0) continue;
    runStart = i;
    runEnd = i;
    while (runEnd + 1 < 8 && v.Group(runEnd + 1) == 0) ++runEnd;
    break;
  }
  for (int i = 0; i < 8; ++i) {
    if (i == runStart) {
      out += "::";
      i = runEnd;
      continue;
    }
    if (i > 0 && i != runEnd + 1) out += ':';
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
  else for (int i = 0; i < 8; ++i) a.ipv6.Groups[i] &= b.ipv6.Groups[i];
}

void OrIPAddr(TIPAddr& a, const TIPAddr& b) {
  if (a.ip_family != b.ip_family) return;
  if (a.ip_family == TIPAddrFamily::IPv4) a.ipv4.Value |= b.ipv4.Value;
  else for (int i = 0; i < 8; ++i) a.ipv6.Groups[i] |= b.ipv6.Groups[i];
}

void NotIPAddr(TIPAddr& a) {
  if (a.ip_family == TIPAddrFamily::IPv4) a.ipv4.Value = ~a.ipv4.Value;
  else for (auto& g : a.ipv6.Groups) g = static_cast<uint16_t>(~g);
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

void RandomizeIPAddrBits(TIPAddr& a, int bit, int count, TRandom& rng) {
  const int w = FamilyWidth(a.ip_family);
  if (count <= 0 || bit < 0 || bit >= w) return;
  // Each position gets its own fair random bit; 64 of them come from one draw.
  const int n = std::min(count, w - bit);
  U128 bits = rng();
  if (n > 64) bits |= U128{rng()} << 64;
  if (n < 128) bits &= (U128{1} << n) - 1;
  if (a.ip_family == TIPAddrFamily::IPv4) a.ipv4.Value |= static_cast<uint32_t>(bits << bit);
  else a.ipv6 = FromU128(ToU128(a.ipv6) | (bits << bit));
}

}  // namespace korrin
