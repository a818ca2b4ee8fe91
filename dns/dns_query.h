#pragma once
// Builds the PTR query datagram: the reverse name of an address text (or a reverse name given
// as such) in the RFC 1035 message layout.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

// The 32 hex digits of a full IPv6 address text, groups padded to four digits, letter case kept;
// false when the text is not an IPv6 address (at most one "::", eight groups of 1 to 4 digits).
bool TryExpandIPv6(std::string_view text, std::string& digits);

// The wire form of the name asked for `domain`: its labels with their length bytes and the
// closing zero byte. Raises EDnsError for an invalid IPv6 text or a name that cannot be encoded.
std::vector<uint8_t> ReverseQueryName(std::string_view domain);

std::vector<uint8_t> BuildPtrQuery(uint16_t id, bool recursionDesired, std::string_view domain);

}  // namespace korrin
