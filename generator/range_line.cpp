#include "generator/range_line.h"

#include "common/text.h"

namespace korrin {

std::optional<TRangeLine> ReadRangeLine(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  const size_t eq = trimmed.find('=');
  const std::string_view name = eq == std::string_view::npos ? trimmed : trimmed.substr(0, eq);
  const std::string_view range = eq == std::string_view::npos ? trimmed : Trim(trimmed.substr(eq + 1));
  if (range.empty() || range[0] == ';') return std::nullopt;

  const size_t slash1 = range.find('/');
  const std::string_view address = range.substr(0, slash1);
  std::string_view prefixText, suffixText;
  if (slash1 != std::string_view::npos) {
    const size_t slash2 = range.find('/', slash1 + 1);
    prefixText = range.substr(slash1 + 1, slash2 == std::string_view::npos ? std::string_view::npos : slash2 - slash1 - 1);
    if (slash2 != std::string_view::npos) suffixText = range.substr(slash2 + 1);
  }

  TRangeLine r;
  if (address.empty() || !TryStrToIPAddr(address, r.Base)) return std::nullopt;
  const int w = FamilyWidth(r.Base.ip_family);
  r.Prefix = prefixText.empty() ? w : StrToIntDef(prefixText, -1);
  if (r.Prefix < 0 || r.Prefix > w) return std::nullopt;
  r.SuffixStart = suffixText.empty() ? w : StrToIntDef(suffixText, -1);
  if (r.SuffixStart < r.Prefix || r.SuffixStart > w) return std::nullopt;
  r.Name = std::string(name);
  return r;
}

}  // namespace korrin
