#pragma once
// Turns the text lists of a reverse lookup into its work: one address per output line and the
// servers to take turns with.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

// The address of one output line ("address", "name address", "address CC", "name address CC",
// fields split at single spaces), without its port: "[addr]:port" and "[addr]" give addr, an
// IPv6 address is kept whole and anything else is cut before its first ":". The address must
// read strictly (TryReadIPAddr); otherwise false with the reason, or an empty text.
bool TryAddressFromOutputLine(std::string_view line, std::string& address, std::string& problem);
std::string AddressFromOutputLine(std::string_view line);

// The addresses of `lines` in order, leaving out empty ones and repeats of the one before.
std::vector<std::string> ReverseLookupAddresses(const std::vector<std::string>& lines);

// The non-empty lines, as typed.
std::vector<std::string> ReverseLookupServers(const std::vector<std::string>& lines);

struct TDnsServer {
  std::string Host;
  uint16_t Port = 53;
};

// "host", "host:port", "[IPv6]" or "[IPv6]:port"; a text with several ":" outside brackets is an
// IPv6 address without a port. Raises EDnsError for a bad port or bracket.
TDnsServer SplitServerText(std::string_view text);

}  // namespace korrin
