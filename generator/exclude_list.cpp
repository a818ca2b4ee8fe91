#include "generator/exclude_list.h"

#include "common/exception.h"
#include "common/text.h"
#include "generator/target_items.h"

namespace korrin {

void TExcludeList::Add(std::string_view entry) {
  std::vector<TIPAddrSpan> spans;
  std::string problem;
  // A line that begins with ";" is a comment, as among the range lines.
  if (Trim(entry).starts_with(';')) return;
  for (const std::string_view item : ListItems(WithoutComment(entry))) {
    spans.clear();
    if (TryReadAddressSet(item, spans, problem)) {
      for (const TIPAddrSpan& span : spans) FSets.Add(span);
    } else if (item.find_first_of("*?[") != std::string_view::npos) {
      FMasks.emplace_back(item);
    } else {
      throw Exception(Format("'%.*s' is an invalid exclusion: %s", int(item.size()), item.data(), problem.c_str()));
    }
  }
}

bool TExcludeList::MasksExclude(const TIPAddr& address) const {
  if (FMasks.empty()) return false;
  FText.clear();
  AppendIPAddrText(FText, address, FEscapeIPv6);
  for (const TWildcardMask& mask : FMasks)
    if (mask.Matches(FText)) return true;
  return false;
}

}  // namespace korrin
