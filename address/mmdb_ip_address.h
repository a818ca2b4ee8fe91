#pragma once
// The address form handed to the MaxMind DB reader: a family flag and the value, convertible to
// and from network-order bytes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "address/ip_types.h"

namespace korrin {

struct TMMDBIPAddress {
  bool _v6 = false;
  TIPv4 _ipv4;
  TIPv6 _ipv6;

  TMMDBIPAddress() = default;
  explicit TMMDBIPAddress(TIPv4 v) : _v6(false), _ipv4(v) {}
  explicit TMMDBIPAddress(const TIPv6& v) : _v6(true), _ipv6(v) {}
  // The one conversion from the generator's family-tagged address.
  explicit TMMDBIPAddress(const TIPAddr& a)
      : _v6(a.ip_family == TIPAddrFamily::IPv6), _ipv4(_v6 ? TIPv4{} : a.ipv4), _ipv6(_v6 ? a.ipv6 : TIPv6{}) {}
  // 4 bytes give IPv4, 16 bytes IPv6; other lengths raise "Bad address size: %d.".
  explicit TMMDBIPAddress(const std::vector<uint8_t>& address);

  std::vector<uint8_t> GetAddressBytes() const;
  std::string ToString() const;
  // The network of the first `prefix` bits of this address, in CIDR form ("1.2.3.0/24").
  std::string NetworkText(int prefix) const;
  static bool TryParse(std::string_view ipString, TMMDBIPAddress& out);
  static TMMDBIPAddress Parse(std::string_view ipString);
};

}  // namespace korrin
