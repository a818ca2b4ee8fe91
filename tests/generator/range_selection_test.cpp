// The address value set against a plain bitmap: scattered spans added in any order, in numbers
// past the point where the spans added last join the merged list.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "generator/range_selection.h"

namespace korrin {
namespace {

TEST(AddressValueSet, ManyScatteredSpansAnswerAsABitmapDoes) {
  for (const TIPAddrFamily family : {TIPAddrFamily::IPv4, TIPAddrFamily::IPv6}) {
    const TUInt128 base = family == TIPAddrFamily::IPv4 ? TUInt128{0x0A000000} : TUInt128{0xFD} << 120;
    constexpr size_t kValues = 600000;
    // Every third value, then spans that bridge some of the gaps (merging neighbours, also ones
    // merged earlier), all in a shuffled order.
    std::vector<std::pair<size_t, size_t>> spans;
    for (size_t v = 0; v < kValues; v += 3) spans.emplace_back(v, v);
    for (size_t v = 1; v + 1 < kValues; v += 3 * 97) spans.emplace_back(v, v + 1);
    for (size_t v = 5000; v < kValues; v += 100003) spans.emplace_back(v, v + 2000);
    std::shuffle(spans.begin(), spans.end(), std::mt19937(7));
    std::vector<bool> in(kValues);
    TAddressValueSet set;
    for (const auto& [first, last] : spans) {
      set.Add({IPAddrOfValue(family, base + first), IPAddrOfValue(family, base + last)});
      for (size_t v = first; v <= last; ++v) in[v] = true;
    }
    // A walk over every value, and one over every fourth, from a value in the set to one in it.
    for (const int stride : {0, 2}) {
      TAddressProgression walk;
      walk.First = IPAddrOfValue(family, base);
      walk.StrideBit = stride;
      walk.LastIndex = (kValues - 3) >> stride;
      std::vector<TIndexSpan> holes;
      set.AppendIndexSpans(walk, holes);
      const TRangeSelection outside({{0, walk.LastIndex}}, holes);
      size_t expected = 0;
      for (TUInt128 i = 0; i <= walk.LastIndex; ++i) expected += in[static_cast<size_t>(i << stride)] ? 0 : 1;
      EXPECT_EQ(outside.Count(), TWideCount(expected)) << "stride " << stride;
    }
  }
}

}  // namespace
}  // namespace korrin
