#include "generator/port_list.h"

#include <optional>

#include "common/exception.h"
#include "common/text.h"

namespace korrin {

namespace {

std::optional<int> PortOf(std::string_view text) {
  const auto port = TryStrToInt(text);
  if (!port || *port < 1 || *port > 65535) return std::nullopt;
  return *port;
}

// Calls onItem(low, high) for each item, low <= high.
template <typename F>
void ForEachPortItem(std::string_view portNumbers, F&& onItem) {
  size_t start = 0;
  while (start <= portNumbers.size()) {
    size_t end = portNumbers.find_first_of(",;", start);
    if (end == std::string_view::npos) end = portNumbers.size();
    const std::string_view item = Trim(portNumbers.substr(start, end - start));
    start = end + 1;
    if (item.empty()) continue;
    const std::string shown(item);
    const size_t dash = item.find('-');
    if (dash == std::string_view::npos) {
      const auto port = PortOf(item);
      if (!port) throw Exception(Format("port '%s' is not a number from 1 to 65535", shown.c_str()));
      onItem(*port, *port);
      continue;
    }
    const auto low = PortOf(Trim(item.substr(0, dash))), high = PortOf(Trim(item.substr(dash + 1)));
    if (!low || !high) throw Exception(Format("port range '%s' is not two numbers from 1 to 65535", shown.c_str()));
    if (*high < *low) throw Exception(Format("port range '%s' ends below its start", shown.c_str()));
    onItem(*low, *high);
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
  ForEachPortItem(portNumbers, [&](int lo, int hi) { count += static_cast<uint64_t>(hi - lo + 1); });
  return count;
}

}  // namespace korrin
