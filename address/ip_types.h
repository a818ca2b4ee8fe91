#pragma once
// Address values passed around the whole system: IPv4, IPv6, the family-tagged TIPAddr with its
// text forms and the bit operations the generation engine enumerates ranges with.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/exception.h"

namespace korrin {

class EIPv4Error : public Exception {
 public:
  using Exception::Exception;
};
class EIPv6Error : public Exception {
 public:
  using Exception::Exception;
};

using TIPv4ByteArray = std::array<uint8_t, 4>;       // element 0 is D
using TIPv6WordArray = std::array<uint16_t, 8>;      // element 0 is H
using TIPv6CardinalArray = std::array<uint32_t, 4>;  // element 0 holds the lowest 32 bits

struct TIPv4 {
  uint32_t Value = 0;

  uint8_t A() const { return static_cast<uint8_t>(Value >> 24); }
  uint8_t B() const { return static_cast<uint8_t>(Value >> 16); }
  uint8_t C() const { return static_cast<uint8_t>(Value >> 8); }
  uint8_t D() const { return static_cast<uint8_t>(Value); }
  TIPv4ByteArray Groups() const { return {D(), C(), B(), A()}; }
  friend bool operator==(const TIPv4&, const TIPv4&) = default;
};

struct TIPv6 {
  TIPv6WordArray Groups{};  // Groups[7] is A, the first group of the text form

  uint16_t Group(int textIndex) const { return Groups[7 - textIndex]; }  // 0 = A .. 7 = H
  void SetGroup(int textIndex, uint16_t value) { Groups[7 - textIndex] = value; }
  uint16_t A() const { return Groups[7]; }
  uint16_t H() const { return Groups[0]; }
  TIPv6CardinalArray Values() const {
    TIPv6CardinalArray v{};
    for (int i = 0; i < 4; ++i) v[i] = (uint32_t{Groups[2 * i + 1]} << 16) | Groups[2 * i];
    return v;
  }
  friend bool operator==(const TIPv6&, const TIPv6&) = default;
};

enum class TIPAddrFamily : uint8_t { IPv4, IPv6 };

struct TIPAddr {
  TIPAddrFamily ip_family = TIPAddrFamily::IPv4;
  TIPv4 ipv4;
  TIPv6 ipv6;

  static TIPAddr FromIPv4(TIPv4 v) { return {TIPAddrFamily::IPv4, v, {}}; }
  static TIPAddr FromIPv6(const TIPv6& v) { return {TIPAddrFamily::IPv6, {}, v}; }
};

constexpr int FamilyWidth(TIPAddrFamily f) { return f == TIPAddrFamily::IPv4 ? 32 : 128; }

bool TryStrToIPv4(std::string_view text, TIPv4& out);
TIPv4 StrToIPv4(std::string_view text);
std::string IPv4ToStr(TIPv4 value);
bool TryStrToIPv6(std::string_view text, TIPv6& out);
TIPv6 StrToIPv6(std::string_view text);
// RFC 5952 text, as other tools write it: lower case, the longest run of zero groups as "::".
std::string IPv6ToStr(const TIPv6& value);
// Every reader of typed or piped addresses is strict: exactly four decimal parts 0..255 of up to
// three digits (leading zeros read as decimal), or the IPv6 forms (full or with "::", groups of up
// to four hex digits, either optionally ending in a dotted IPv4 part) with nothing else in the
// text. Nothing is cut or read as 0. TryReadIPAddr says why a text is not an address.
bool TryReadIPAddr(std::string_view text, TIPAddr& out, std::string& problem);
// One part of a dotted IPv4 address by that rule: decimal digits only, 0 to 255, at most three
// digits; a sign, a blank, hex or a larger value is refused instead of becoming another octet.
bool ReadDecimalOctet(std::string_view text, uint8_t& out, std::string& problem);
bool TryStrToIPAddr(std::string_view text, TIPAddr& out);
TIPAddr StrToIPAddr(std::string_view text);
std::string IPAddrToStr(const TIPAddr& value, bool escapeIPv6);
// Appends the text form to `out`: the generation hot path builds millions of these.
void AppendIPAddrText(std::string& out, const TIPAddr& value, bool escapeIPv6);
std::string IPAddrQuadrantToStr(const TIPAddr& value, int n);

TIPAddr MakeIPAddrMask(TIPAddrFamily family, int prefix, int suffixStart);
void AndIPAddr(TIPAddr& a, const TIPAddr& b);
void OrIPAddr(TIPAddr& a, const TIPAddr& b);
void NotIPAddr(TIPAddr& a);
bool SameIPAddr(const TIPAddr& a, const TIPAddr& b);
bool SameMaskedIPAddr(const TIPAddr& a, const TIPAddr& b, const TIPAddr& mask);
void IncIPAddr(TIPAddr& a, int bit);

// The families in order, then the values; orders the a-b ranges and the exclusions by network.
int CompareIPAddr(const TIPAddr& a, const TIPAddr& b);

}  // namespace korrin
