#pragma once
// The port suffixes (":80", ":3128", ...) that multiply each generated address into lines.
#include <string>
#include <string_view>
#include <vector>

namespace korrin {

// Items split at "," and ";", each a port or a low-high range clamped to 1..65535; items that
// do not read are ignored, duplicates stay.
std::vector<std::string> ReadPortList(std::string_view portNumbers);

}  // namespace korrin
