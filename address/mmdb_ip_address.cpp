#include "address/mmdb_ip_address.h"

#include <algorithm>

#include "common/text.h"

namespace korrin {

TMMDBIPAddress::TMMDBIPAddress(const std::vector<uint8_t>& address) {
  if (address.size() == 4) {
    _ipv4.Value =
        (uint32_t{address[0]} << 24) | (uint32_t{address[1]} << 16) | (uint32_t{address[2]} << 8) | address[3];
  } else if (address.size() == 16) {
    _v6 = true;
    for (int i = 0; i < 8; ++i) _ipv6.SetGroup(i, static_cast<uint16_t>((address[2 * i] << 8) | address[2 * i + 1]));
  } else {
    throw Exception(Format("Bad address size: %d.", static_cast<int>(address.size())));
  }
}

std::vector<uint8_t> TMMDBIPAddress::GetAddressBytes() const {
  if (!_v6) return {_ipv4.A(), _ipv4.B(), _ipv4.C(), _ipv4.D()};
  std::vector<uint8_t> bytes(16);
  for (int i = 0; i < 8; ++i) {
    bytes[2 * i] = static_cast<uint8_t>(_ipv6.Group(i) >> 8);
    bytes[2 * i + 1] = static_cast<uint8_t>(_ipv6.Group(i));
  }
  return bytes;
}

std::string TMMDBIPAddress::ToString() const { return _v6 ? IPv6ToStr(_ipv6) : IPv4ToStr(_ipv4); }

std::string TMMDBIPAddress::NetworkText(int prefix) const {
  std::vector<uint8_t> bytes = GetAddressBytes();
  for (size_t i = 0; i < bytes.size(); ++i) {
    const int kept = std::clamp(prefix - static_cast<int>(i) * 8, 0, 8);
    bytes[i] &= static_cast<uint8_t>(0xFF00u >> kept);
  }
  return TMMDBIPAddress(bytes).ToString() + "/" + std::to_string(prefix);
}

bool TMMDBIPAddress::TryParse(std::string_view ipString, TMMDBIPAddress& out) {
  TIPv4 v4;
  if (TryStrToIPv4(ipString, v4)) {
    out = TMMDBIPAddress(v4);
    return true;
  }
  TIPv6 v6;
  if (TryStrToIPv6(ipString, v6)) {
    out = TMMDBIPAddress(v6);
    return true;
  }
  return false;
}

TMMDBIPAddress TMMDBIPAddress::Parse(std::string_view ipString) {
  TMMDBIPAddress a;
  if (!TryParse(ipString, a))
    throw Exception(Format("Unable to convert string \"%.*s\" to IP address.", int(ipString.size()), ipString.data()));
  return a;
}

}  // namespace korrin
