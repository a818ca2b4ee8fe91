#include "generator/port_list.h"

#include <algorithm>

#include "common/text.h"

namespace korrin {

std::vector<std::string> ReadPortList(std::string_view portNumbers) {
  std::vector<std::string> suffixes;
  size_t start = 0;
  while (start <= portNumbers.size()) {
    size_t end = portNumbers.find_first_of(",;", start);
    if (end == std::string_view::npos) end = portNumbers.size();
    const std::string_view item = Trim(portNumbers.substr(start, end - start));
    start = end + 1;
    const size_t dash = item.find('-');
    const auto low = TryStrToInt(dash == std::string_view::npos ? item : Trim(item.substr(0, dash)));
    const auto high = TryStrToInt(dash == std::string_view::npos ? item : Trim(item.substr(dash + 1)));
    if (!low || !high) continue;
    int lo = std::min(*low, *high), hi = std::max(*low, *high);
    lo = std::max(lo, 1);
    hi = std::min(hi, 65535);
    for (int port = lo; port <= hi; ++port) suffixes.push_back(":" + std::to_string(port));
  }
  return suffixes;
}

}  // namespace korrin
