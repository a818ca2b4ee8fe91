#pragma once
// The span forms users of other tools type, "first-last" and the short "10.0.0.1-5", and the
// network form "address/prefix": range lines and exclusion entries read them alike.
#include <string>
#include <string_view>

#include "address/ip_types.h"

namespace korrin {

// An inclusive span of one family, first <= last.
struct TIPAddrSpan {
  TIPAddr First;
  TIPAddr Last;
};

// "a-b" (blanks around "-" allowed), or for IPv4 "a-N" where N replaces the last part. False,
// with the reason in `problem`, for anything else or an end below the start.
bool TryReadIPAddrSpan(std::string_view text, TIPAddrSpan& out, std::string& problem);

// "address/prefix": every address sharing the top `prefix` bits with the address.
bool TryReadIPAddrNetwork(std::string_view text, TIPAddrSpan& out, std::string& problem);

bool SpanContains(const TIPAddrSpan& span, const TIPAddr& address);

}  // namespace korrin
