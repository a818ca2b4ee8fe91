#pragma once
// The notations of the target lists people keep for scanners: "#" comments, comma-separated
// items, and items that name an exact set of addresses, nmap's octet ranges ("10.0.1-3.1-254")
// among them. Range lines and exclusions read the same lists, so they read them alike.
#include <string>
#include <string_view>
#include <vector>

#include "address/ip_span.h"

namespace korrin {

// The text before a "#" that starts the line or follows a blank; a "#" inside a word (a range
// name such as "web#1") is kept.
std::string_view WithoutComment(std::string_view line);

// The trimmed items between commas, empty ones left out.
std::vector<std::string_view> ListItems(std::string_view text);

// One item as the addresses it names, in ascending spans: an address (also in square brackets,
// as IPv6 is written beside a port), a network "a/p", a span "a-b" or "a-N", or an IPv4 octet range whose parts are
// each a number or "low-high". False, with the reason in `problem`, for anything else.
bool TryReadAddressSet(std::string_view item, std::vector<TIPAddrSpan>& spans, std::string& problem);

// Whether the item is written as an octet range: four dot-separated parts of numbers and ranges,
// a range among the first three.
bool IsOctetRange(std::string_view item);

}  // namespace korrin
