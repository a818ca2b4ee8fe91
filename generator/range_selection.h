#pragma once
// The addresses a run takes from each range, as sorted intervals of the range's walk indices:
// the range (or the spans of an octet range) less its network ends, the exclusions and, for a
// run that gives each address once, the ranges before it. Intervals cost by their number, not by
// the addresses they cover, so a /8 less 2,000 networks or an IPv6 /32 less its half is counted,
// walked and sampled at once.
#include <map>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "address/ip_span.h"
#include "generator/address_progression.h"
#include "generator/wide_count.h"

namespace korrin {

struct TIndexSpan {
  TUInt128 First = 0;
  TUInt128 Last = 0;
};

// A set of address values, kept sorted and merged as it grows.
class TAddressValueSet {
 public:
  void Add(const TIPAddrSpan& span);
  bool Empty() const { return FIPv4.Empty() && FIPv6.Empty(); }
  // The walk's indices whose addresses are in the set, appended as spans (which may overlap).
  void AppendIndexSpans(const TAddressProgression& walk, std::vector<TIndexSpan>& out) const;

 private:
  // One family's spans: a sorted, merged list, and the spans added since it was last merged
  // into, which join it once they are a fraction of its size. A tree node for each of ten million
  // scattered ranges cost ten times the bytes of the list; IPv4 values take a quarter of IPv6's.
  template <typename V>
  class TSpans {
   public:
    void Add(V first, V last);
    bool Empty() const { return FMerged.empty() && FRecent.empty(); }
    void AppendIndexSpans(const TAddressProgression& walk, std::vector<TIndexSpan>& out) const;

   private:
    void MergeRecent();
    std::vector<std::pair<V, V>> FMerged;
    std::map<V, V> FRecent;  // merged among themselves
  };
  TSpans<uint32_t> FIPv4;
  TSpans<TUInt128> FIPv6;
};

// The walk's indices whose addresses lie from first to last (values of the walk's family); empty
// when none does.
bool IndexSpanOf(const TAddressProgression& walk, TUInt128 first, TUInt128 last, TIndexSpan& out);

class TRangeSelection {
 public:
  TRangeSelection() = default;
  // The indices of `base` (sorted, disjoint) less every index in `holes` (any order).
  TRangeSelection(const std::vector<TIndexSpan>& base, std::vector<TIndexSpan> holes);

  TWideCount Count() const;
  std::span<const TIndexSpan> Spans() const;
  // The walk index of the k-th selected address, for k < Count().
  TUInt128 IndexAt(const TWideCount& k) const;

 private:
  struct TSeveral {
    std::vector<TIndexSpan> Spans;
    std::vector<TWideCount> Starts;  // how many selected addresses come before each span
    TWideCount Count;
  };
  // One span, the common case, is kept in place: a run over millions of ranges would otherwise
  // make an allocation for each.
  TIndexSpan FOne;
  bool FHasOne = false;
  std::unique_ptr<const TSeveral> FSeveral;
};

}  // namespace korrin
