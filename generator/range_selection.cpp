#include "generator/range_selection.h"

#include <algorithm>
#include <iterator>

namespace korrin {

namespace {

// The spans added since the last merge join the merged list once they number this many, or an
// eighth of the list: a merge costs the list's size, so the merges cost a few times it in all.
constexpr size_t kMinRecentSpans = 65536;

// Adds [first, last] to sorted, merged spans keyed by their first value: every span that overlaps
// or touches it merges into it.
template <typename V>
void AddMerged(std::map<V, V>& spans, V first, V last) {
  constexpr V kMax = ~V{0};
  auto it = spans.upper_bound(first);
  if (it != spans.begin() && (std::prev(it)->second >= first || std::prev(it)->second + 1 == first)) --it;
  while (it != spans.end() && (last == kMax || it->first <= last + 1)) {
    first = std::min(first, it->first);
    last = std::max(last, it->second);
    it = spans.erase(it);
  }
  spans.emplace(first, last);
}

}  // namespace

template <typename V>
void TAddressValueSet::TSpans<V>::Add(V first, V last) {
  AddMerged(FRecent, first, last);
  if (FRecent.size() >= std::max(kMinRecentSpans, FMerged.size() / 8)) MergeRecent();
}

template <typename V>
void TAddressValueSet::TSpans<V>::MergeRecent() {
  std::vector<std::pair<V, V>> merged;
  merged.reserve(FMerged.size() + FRecent.size());
  auto a = FMerged.begin();
  auto b = FRecent.begin();
  while (a != FMerged.end() || b != FRecent.end()) {
    const bool takeA = b == FRecent.end() || (a != FMerged.end() && a->first < b->first);
    const std::pair<V, V> next = takeA ? *a++ : std::pair<V, V>(*b++);
    if (!merged.empty() && (merged.back().second >= next.first || merged.back().second + 1 == next.first))
      merged.back().second = std::max(merged.back().second, next.second);
    else merged.push_back(next);
  }
  FMerged = std::move(merged);
  FRecent.clear();
}

template <typename V>
void TAddressValueSet::TSpans<V>::AppendIndexSpans(const TAddressProgression& walk,
                                                   std::vector<TIndexSpan>& out) const {
  if (Empty()) return;
  const TUInt128 low = IPAddrValue(walk.First);
  const TUInt128 high = IPAddrValue(walk.At(walk.LastIndex));
  TIndexSpan span;
  // Spans are disjoint and sorted by both ends: the first that may reach low is the last one
  // starting at or before it.
  auto it = std::upper_bound(FMerged.begin(), FMerged.end(), low,
                             [](TUInt128 value, const std::pair<V, V>& s) { return value < s.first; });
  if (it != FMerged.begin()) --it;
  for (; it != FMerged.end() && it->first <= high; ++it)
    if (IndexSpanOf(walk, it->first, it->second, span)) out.push_back(span);
  auto r = FRecent.upper_bound(static_cast<V>(low));
  if (r != FRecent.begin()) --r;
  for (; r != FRecent.end() && r->first <= high; ++r)
    if (IndexSpanOf(walk, r->first, r->second, span)) out.push_back(span);
}

void TAddressValueSet::Add(const TIPAddrSpan& span) {
  if (span.First.ip_family == TIPAddrFamily::IPv4) FIPv4.Add(span.First.ipv4.Value, span.Last.ipv4.Value);
  else FIPv6.Add(IPAddrValue(span.First), IPAddrValue(span.Last));
}

void TAddressValueSet::AppendIndexSpans(const TAddressProgression& walk, std::vector<TIndexSpan>& out) const {
  if (walk.First.ip_family == TIPAddrFamily::IPv4) FIPv4.AppendIndexSpans(walk, out);
  else FIPv6.AppendIndexSpans(walk, out);
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
  std::vector<TIndexSpan> spans;
  size_t h = 0;
  for (TIndexSpan span : base) {
    // Holes wholly before this span cannot reach the later ones either: base is ascending.
    while (h < holes.size() && holes[h].Last < span.First) ++h;
    bool left = true;
    for (size_t j = h; j < holes.size() && holes[j].First <= span.Last; ++j) {
      if (holes[j].Last < span.First) continue;
      if (holes[j].First > span.First) spans.push_back({span.First, holes[j].First - 1});
      if (holes[j].Last >= span.Last) {
        left = false;
        break;
      }
      span.First = std::max(span.First, holes[j].Last + 1);
    }
    if (left) spans.push_back(span);
  }
  if (spans.size() == 1) {
    FOne = spans[0];
    FHasOne = true;
  } else if (spans.size() > 1) {
    auto several = std::make_unique<TSeveral>();
    several->Starts.reserve(spans.size());
    for (const TIndexSpan& span : spans) {
      several->Starts.push_back(several->Count);
      several->Count += TWideCount(span.Last - span.First) + TWideCount(1);
    }
    several->Spans = std::move(spans);
    FSeveral = std::move(several);
  }
}

TWideCount TRangeSelection::Count() const {
  if (FSeveral) return FSeveral->Count;
  return FHasOne ? TWideCount(FOne.Last - FOne.First) + TWideCount(1) : TWideCount();
}

std::span<const TIndexSpan> TRangeSelection::Spans() const {
  if (FSeveral) return FSeveral->Spans;
  return FHasOne ? std::span<const TIndexSpan>(&FOne, 1) : std::span<const TIndexSpan>();
}

TUInt128 TRangeSelection::IndexAt(const TWideCount& k) const {
  if (!FSeveral) return FOne.First + k.Low();  // a sample's picks mostly land here
  const auto& starts = FSeveral->Starts;
  const size_t i = static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), k) - starts.begin()) - 1;
  return FSeveral->Spans[i].First + (k - starts[i]).Low();
}

}  // namespace korrin
