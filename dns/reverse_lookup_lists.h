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
// IPv6 address is kept whole and anything else is cut before its first ":".
std::string AddressFromOutputLine(std::string_view line);

// The addresses of `lines` in order, leaving out empty ones and repeats of the one before.
std::vector<std::string> ReverseLookupAddresses(const std::vector<std::string>& lines);

// The lines that hold a server, without the blanks around it.
std::vector<std::string> ReverseLookupServers(const std::vector<std::string>& lines);

struct TDnsServer {
  std::string Host;
  uint16_t Port = 53;
};

// "host", "host:port", "[IPv6]" or "[IPv6]:port"; a text with several ":" outside brackets is an
// IPv6 address without a port. Raises EDnsError for a bad port or bracket.
TDnsServer SplitServerText(std::string_view text);

}  // namespace korrin
