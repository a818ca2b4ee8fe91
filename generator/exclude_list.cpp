#include "generator/exclude_list.h"

#include "common/exception.h"
#include "common/text.h"

namespace korrin {

void TExcludeList::Add(std::string_view entry) {
  const bool spanLike =
      entry.find_first_of("/-") != std::string_view::npos && entry.find_first_of("*?[") == std::string_view::npos;
  if (!spanLike) {
    FMasks.emplace_back(entry);
    return;
  }
  TIPAddrSpan span;
  std::string problem;
  const bool ok = entry.find('/') != std::string_view::npos ? TryReadIPAddrNetwork(Trim(entry), span, problem)
                                                            : TryReadIPAddrSpan(Trim(entry), span, problem);
  if (!ok)
    throw Exception(Format("'%.*s' is an invalid exclusion: %s", int(entry.size()), entry.data(), problem.c_str()));
  FSpans.push_back(span);
}

bool TExcludeList::Excludes(const TIPAddr& address) const {
  for (const TIPAddrSpan& span : FSpans)
    if (SpanContains(span, address)) return true;
  if (FMasks.empty()) return false;
  FText.clear();
  AppendIPAddrText(FText, address, FEscapeIPv6);
  for (const TWildcardMask& mask : FMasks)
    if (mask.Matches(FText)) return true;
  return false;
}

}  // namespace korrin
