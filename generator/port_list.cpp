#include "generator/port_list.h"

#include <algorithm>

#include "common/text.h"

namespace korrin {

namespace {

// Calls onItem(low, high) for each item that reads, clamped to 1..65535 (low > high when none
// of it is left).
template <typename F>
void ForEachPortItem(std::string_view portNumbers, F&& onItem) {
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
    onItem(std::max(std::min(*low, *high), 1), std::min(std::max(*low, *high), 65535));
  }
}

}  // namespace

std::vector<std::string> ReadPortList(std::string_view portNumbers) {
  std::vector<std::string> suffixes;
  ForEachPortItem(portNumbers, [&](int lo, int hi) {
    for (int port = lo; port <= hi; ++port) suffixes.push_back(":" + std::to_string(port));
  });
  return suffixes;
}

uint64_t CountPorts(std::string_view portNumbers) {
  uint64_t count = 0;
  ForEachPortItem(portNumbers, [&](int lo, int hi) {
    if (lo <= hi) count += static_cast<uint64_t>(hi - lo + 1);
  });
  return count;
}

}  // namespace korrin
