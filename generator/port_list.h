#pragma once
// The port suffixes (":80", ":3128", ...) that multiply each generated address into lines.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

// Items split at "," and ";", each a port or a low-high range within 1..65535; empty items name
// no port and duplicates stay. An item that does not read is a typo, never a smaller list: it
// raises korrin::Exception naming it.
std::vector<std::string> ReadPortList(std::string_view portNumbers);
// The size of that list, without building it: a run is bounded before its lines take memory.
// Raises as ReadPortList does.
uint64_t CountPorts(std::string_view portNumbers);

}  // namespace korrin
