#include "generator/range_selection.h"

#include <algorithm>
#include <iterator>

namespace korrin {

namespace {

constexpr TUInt128 kMax = ~TUInt128{0};

size_t FamilySlot(TIPAddrFamily family) { return family == TIPAddrFamily::IPv4 ? 0 : 1; }

}  // namespace

void TAddressValueSet::Add(const TIPAddrSpan& span) {
  auto& spans = FSpans[FamilySlot(span.First.ip_family)];
  TUInt128 first = IPAddrValue(span.First), last = IPAddrValue(span.Last);
  // Every span that overlaps or touches the new one merges into it.
  auto it = spans.upper_bound(first);
  if (it != spans.begin() && (std::prev(it)->second >= first || std::prev(it)->second + 1 == first)) --it;
  while (it != spans.end() && (last == kMax || it->first <= last + 1)) {
    first = std::min(first, it->first);
    last = std::max(last, it->second);
    it = spans.erase(it);
  }
  spans.emplace(first, last);
}

void TAddressValueSet::AppendIndexSpans(const TAddressProgression& walk, std::vector<TIndexSpan>& out) const {
  const auto& spans = FSpans[FamilySlot(walk.First.ip_family)];
  if (spans.empty()) return;
  const TUInt128 low = IPAddrValue(walk.First);
  const TUInt128 high = IPAddrValue(walk.At(walk.LastIndex));
  auto it = spans.upper_bound(low);
  if (it != spans.begin()) --it;
  TIndexSpan span;
  for (; it != spans.end() && it->first <= high; ++it)
    if (IndexSpanOf(walk, it->first, it->second, span)) out.push_back(span);
}

bool IndexSpanOf(const TAddressProgression& walk, TUInt128 first, TUInt128 last, TIndexSpan& out) {
  const TUInt128 base = IPAddrValue(walk.First);
  if (last < base) return false;
  if (walk.LastIndex == 0) {
    out = {0, 0};
    return first <= base;
  }
  // Index i is the address base + i * 2^StrideBit: the first index at or past `first`, the last
  // at or before `last`.
  const int shift = walk.StrideBit;
  const TUInt128 step = TUInt128{1} << shift;
  out.First = first <= base ? 0 : ((first - base) >> shift) + (((first - base) & (step - 1)) != 0 ? 1 : 0);
  out.Last = std::min(walk.LastIndex, (last - base) >> shift);
  return out.First <= out.Last;
}

TRangeSelection::TRangeSelection(const std::vector<TIndexSpan>& base, std::vector<TIndexSpan> holes) {
  std::sort(holes.begin(), holes.end(), [](const TIndexSpan& a, const TIndexSpan& b) { return a.First < b.First; });
  size_t h = 0;
  for (TIndexSpan span : base) {
    // Holes wholly before this span cannot reach the later ones either: base is ascending.
    while (h < holes.size() && holes[h].Last < span.First) ++h;
    bool left = true;
    for (size_t j = h; j < holes.size() && holes[j].First <= span.Last; ++j) {
      if (holes[j].Last < span.First) continue;
      if (holes[j].First > span.First) FSpans.push_back({span.First, holes[j].First - 1});
      if (holes[j].Last >= span.Last) {
        left = false;
        break;
      }
      span.First = std::max(span.First, holes[j].Last + 1);
    }
    if (left) FSpans.push_back(span);
  }
  // One span, the common case, needs no table of starts: it would cost an allocation a range.
  if (FSpans.size() > 1) FStarts.reserve(FSpans.size());
  for (const TIndexSpan& span : FSpans) {
    if (FSpans.size() > 1) FStarts.push_back(FCount);
    FCount += TWideCount(span.Last - span.First) + TWideCount(1);
  }
}

TUInt128 TRangeSelection::IndexAt(const TWideCount& k) const {
  if (FSpans.size() == 1) return FSpans[0].First + k.Low();  // a sample's picks mostly land here
  const size_t i = static_cast<size_t>(std::upper_bound(FStarts.begin(), FStarts.end(), k) - FStarts.begin()) - 1;
  return FSpans[i].First + (k - FStarts[i]).Low();
}

}  // namespace korrin
