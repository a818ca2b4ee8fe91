#include "generator/target_items.h"

#include <array>
#include <utility>

#include "address/ip_types.h"
#include "common/text.h"

namespace korrin {

namespace {

// An octet range such as "0-255.0-255.0-255.1-254" is 2^24 separate spans; past this many it is
// refused rather than held in memory.
constexpr uint64_t kMaxOctetSpans = 65536;

bool IsDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::vector<std::string_view> OctetParts(std::string_view item) {
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t dot = item.find('.', start);
    parts.push_back(item.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
    if (dot == std::string_view::npos || parts.size() > 4) return parts;
    start = dot + 1;
  }
}

bool ReadOctetRange(std::string_view item, std::vector<TIPAddrSpan>& spans, std::string& problem) {
  std::array<std::pair<uint8_t, uint8_t>, 4> octets;
  const std::vector<std::string_view> parts = OctetParts(item);
  std::string octetProblem;  // the part's own message below says more
  const auto readOctet = [&](std::string_view Text, uint8_t& Value) {
    return ReadDecimalOctet(Text, Value, octetProblem);
  };
  for (size_t i = 0; i < 4; ++i) {
    const std::string_view part = parts[i];
    const size_t dash = part.find('-');
    auto& [low, high] = octets[i];
    const bool ok = dash == std::string_view::npos
                        ? readOctet(part, low) && readOctet(part, high)
                        : readOctet(part.substr(0, dash), low) && readOctet(part.substr(dash + 1), high);
    if (!ok)
      return problem =
                 Format("IPv4 part '%.*s' is not a number or a range from 0 to 255", int(part.size()), part.data()),
             false;
    if (high < low)
      return problem = Format("IPv4 part '%.*s' ends below its start", int(part.size()), part.data()), false;
  }
  // The parts after the last one short of 0-255 are whole, so each choice of the parts before it
  // is one span.
  int last = 3;
  while (last >= 0 && octets[static_cast<size_t>(last)] == std::pair<uint8_t, uint8_t>{0, 255}) --last;
  uint64_t count = 1;
  for (int i = 0; i < last; ++i)
    count *= octets[static_cast<size_t>(i)].second - octets[static_cast<size_t>(i)].first + 1;
  if (count > kMaxOctetSpans)
    return problem = Format("the octet ranges make %llu separate spans, more than %llu",
                            static_cast<unsigned long long>(count), static_cast<unsigned long long>(kMaxOctetSpans)),
           false;
  std::array<uint32_t, 4> at{octets[0].first, octets[1].first, octets[2].first, octets[3].first};
  const auto value = [&](bool high) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const auto& [low, top] = octets[static_cast<size_t>(i)];
      const uint32_t octet =
          i < last ? at[static_cast<size_t>(i)] : (i == last ? (high ? top : low) : (high ? 255 : 0));
      v = (v << 8) | octet;
    }
    return TIPAddr::FromIPv4({v});
  };
  for (;;) {
    spans.push_back({value(false), value(true)});
    int i = last - 1;
    while (i >= 0 && at[static_cast<size_t>(i)] == octets[static_cast<size_t>(i)].second)
      at[static_cast<size_t>(i)] = octets[static_cast<size_t>(i)].first, --i;
    if (i < 0) return true;
    ++at[static_cast<size_t>(i)];
  }
}

}  // namespace

std::string_view WithoutComment(std::string_view line) {
  for (size_t i = 0; i < line.size(); ++i)
    if (line[i] == '#' && (i == 0 || static_cast<unsigned char>(line[i - 1]) <= ' ')) return line.substr(0, i);
  return line;
}

std::vector<std::string_view> ListItems(std::string_view text) {
  std::vector<std::string_view> items;
  for (size_t start = 0; start <= text.size();) {
    const size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view item = Trim(text.substr(start, comma - start));
    if (!item.empty()) items.push_back(item);
    start = comma + 1;
  }
  return items;
}

bool IsOctetRange(std::string_view item) {
  if (item.find_first_of(":/") != std::string_view::npos) return false;
  const std::vector<std::string_view> parts = OctetParts(item);
  // A range in the last part alone is the short span form "10.0.0.1-5", read as before.
  if (parts.size() != 4 ||
      (parts[0].find('-') == std::string_view::npos && parts[1].find('-') == std::string_view::npos &&
       parts[2].find('-') == std::string_view::npos))
    return false;
  for (std::string_view part : parts) {
    const size_t dash = part.find('-');
    if (!IsDigits(part.substr(0, dash)) || (dash != std::string_view::npos && !IsDigits(part.substr(dash + 1))))
      return false;
  }
  return true;
}

bool TryReadAddressSet(std::string_view item, std::vector<TIPAddrSpan>& spans, std::string& problem) {
  item = Trim(item);
  TIPAddrSpan span;
  bool ok;
  if (item.size() >= 2 && item.front() == '[' && item.back() == ']') {
    ok = TryReadIPAddr(item.substr(1, item.size() - 2), span.First, problem);
    span.Last = span.First;
  } else if (item.find('/') != std::string_view::npos) {
    ok = TryReadIPAddrNetwork(item, span, problem);
  } else if (IsOctetRange(item)) {
    return ReadOctetRange(item, spans, problem);
  } else if (item.find('-') != std::string_view::npos) {
    ok = TryReadIPAddrSpan(item, span, problem);
  } else {
    ok = TryReadIPAddr(item, span.First, problem);
    span.Last = span.First;
  }
  if (ok) spans.push_back(span);
  return ok;
}

}  // namespace korrin
