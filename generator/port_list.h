#pragma once
// The port suffixes (":80", ":3128", ...) that multiply each generated address into lines.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

// Items split at "," and ";", each a port or a low-high range clamped to 1..65535; items that
// do not read are ignored, duplicates stay.
std::vector<std::string> ReadPortList(std::string_view portNumbers);
// The size of that list, without building it: a run is bounded before its lines take memory.
uint64_t CountPorts(std::string_view portNumbers);

}  // namespace korrin
