#include "generator/range_line.h"

#include "common/text.h"
#include "generator/target_items.h"

namespace korrin {

std::optional<TRangeLine> ReadRangeLine(std::string_view line, std::string& problem) {
  problem.clear();
  const std::string_view trimmed = Trim(line);
  const size_t eq = trimmed.find('=');
  const std::string_view name = eq == std::string_view::npos ? trimmed : trimmed.substr(0, eq);
  const std::string_view range = eq == std::string_view::npos ? trimmed : Trim(trimmed.substr(eq + 1));
  if (range.empty()) {
    if (eq != std::string_view::npos) problem = "no range after '='";
    return std::nullopt;
  }
  if (range[0] == ';') return std::nullopt;

  TRangeLine r;
  r.Name = name;
  if (IsOctetRange(range)) {
    std::vector<TIPAddrSpan> spans;
    if (!TryReadAddressSet(range, spans, problem)) return std::nullopt;
    r.Base = spans.front().First;
    r.Last = spans.back().Last;
    if (spans.size() > 1) r.Pieces = std::move(spans);
    r.Prefix = r.SuffixStart = FamilyWidth(r.Base.ip_family);
    return r;
  }
  if (range.find('-') != std::string_view::npos && range.find('/') == std::string_view::npos) {
    TIPAddrSpan span;
    if (!TryReadIPAddrSpan(range, span, problem)) return std::nullopt;
    r.Base = span.First;
    r.Last = span.Last;
    r.Prefix = r.SuffixStart = FamilyWidth(r.Base.ip_family);
    return r;
  }

  const size_t slash1 = range.find('/');
  const std::string_view address = range.substr(0, slash1);
  std::string_view prefixText, suffixText;
  if (slash1 != std::string_view::npos) {
    const size_t slash2 = range.find('/', slash1 + 1);
    prefixText =
        range.substr(slash1 + 1, slash2 == std::string_view::npos ? std::string_view::npos : slash2 - slash1 - 1);
    if (slash2 != std::string_view::npos) suffixText = range.substr(slash2 + 1);
  }
  if (!TryReadIPAddr(address, r.Base, problem)) return std::nullopt;
  const int w = FamilyWidth(r.Base.ip_family);
  r.Prefix = prefixText.empty() ? w : StrToIntDef(prefixText, -1);
  if (r.Prefix < 0 || r.Prefix > w)
    return problem = Format("prefix length '%.*s' is not a number from 0 to %d", int(prefixText.size()),
                            prefixText.data(), w),
           std::nullopt;
  r.SuffixStart = suffixText.empty() ? w : StrToIntDef(suffixText, -1);
  if (r.SuffixStart < r.Prefix || r.SuffixStart > w)
    return problem = Format("suffix start '%.*s' is not a number from %d to %d", int(suffixText.size()),
                            suffixText.data(), r.Prefix, w),
           std::nullopt;
  return r;
}

std::vector<TRangeLine> ReadRangeItems(std::string_view line, std::string& problem) {
  problem.clear();
  line = WithoutComment(line);
  std::vector<TRangeLine> ranges;
  const std::string_view trimmed = Trim(line);
  if (trimmed.find(',') == std::string_view::npos || trimmed.starts_with(';')) {
    if (auto range = ReadRangeLine(line, problem)) ranges.push_back(std::move(*range));
    return ranges;
  }
  const size_t eq = trimmed.find('=');
  const std::string name = eq == std::string_view::npos ? std::string() : std::string(trimmed.substr(0, eq + 1));
  for (const std::string_view item : ListItems(eq == std::string_view::npos ? trimmed : trimmed.substr(eq + 1))) {
    std::string itemProblem;
    auto range = ReadRangeLine(name + std::string(item), itemProblem);
    // Only a whole line is a ";" comment: an item that reads as one would vanish unseen.
    if (!range && itemProblem.empty()) itemProblem = "a ';' comment can only start a line";
    if (range) {
      range->Name = eq == std::string_view::npos ? Trim(item) : trimmed.substr(0, eq);  // out of the joined text
      ranges.push_back(std::move(*range));
    } else {
      problem = Format("item '%.*s': %s", int(item.size()), item.data(), itemProblem.c_str());
      return {};
    }
  }
  if (ranges.empty() && problem.empty() && eq != std::string_view::npos) problem = "no range after '='";
  return ranges;
}

std::optional<TRangeLine> ReadRangeLine(std::string_view line) {
  std::string problem;
  return ReadRangeLine(line, problem);
}

}  // namespace korrin
