#pragma once
// Turns the text lists of a reverse lookup into its work: one address per output line and the
// servers to take turns with.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "address/ip_types.h"

namespace korrin {

// Whether `text` is an address to ask for, and its value: the one place where the batch decides
// what an address is, so that a stricter address parser serves it by changing this alone.
bool TryLookupAddress(std::string_view text, TIPAddr& value);

// The address of one line the generator writes, empty when it holds none: the first field that
// is an address once its port and brackets are taken off ("[addr]:port", "[addr]", "v4:port"),
// fields split at `delimiter` (" " stands for spaces and tabs), then, should none be an address,
// at spaces and tabs. A byte-order mark and blanks around fields do not matter, nor do a name
// or a country code.
std::string AddressFromOutputLine(std::string_view line, std::string_view delimiter = " ");

// What each line of `lines` asks for, in order: its address, or for a line with none its own
// text (trimmed), which the batch lists as unresolved; blank lines and repeats of the entry
// before are left out.
std::vector<std::string> ReverseLookupAddresses(const std::vector<std::string>& lines,
                                                std::string_view delimiter = " ");

// The lines that hold a server, without the blanks around it.
std::vector<std::string> ReverseLookupServers(const std::vector<std::string>& lines);

// The "nameserver" addresses of a resolv.conf file's lines, in order, as the system's resolver
// reads them.
std::vector<std::string> ResolvConfServers(const std::vector<std::string>& lines);

struct TDnsServer {
  std::string Host;
  uint16_t Port = 53;
};

// "host", "host:port", "[IPv6]" or "[IPv6]:port"; a text with several ":" outside brackets is an
// IPv6 address without a port. Raises EDnsError for a bad port or bracket.
TDnsServer SplitServerText(std::string_view text);

}  // namespace korrin
