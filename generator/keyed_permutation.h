#pragma once
// A keyed pseudo-random permutation of 0 .. size - 1, evaluated one index at a time. A random
// sample walks its ranges in this order and keeps the first N eligible addresses: the picks are
// the only memory it needs, however large the ranges, and the walk ends after every index once,
// however few addresses are eligible. Floyd's method and rejection with a set were the other
// choices; both keep every index drawn, and with most addresses excluded both draw without end.
// Small sizes are shuffled into a table instead: exact, and cheap where a Feistel network over
// a few bits would mix poorly or walk many cycles.
#include <cstdint>
#include <vector>

#include "common/random.h"
#include "generator/wide_count.h"

namespace korrin {

class TKeyedPermutation {
 public:
  // Draws the keys from rng: the same generator state gives the same permutation.
  TKeyedPermutation(const TWideCount& size, TRandom& rng);
  // The image of index, for index < size.
  TWideCount operator()(const TWideCount& index) const;

 private:
  TWideCount Encrypt(const TWideCount& x) const;
  template <typename THalf>
  void Rounds(THalf& high, THalf& low) const;

  static constexpr int kRounds = 6;
  TWideCount FSize;
  std::vector<uint32_t> FTable;  // the whole permutation, for small sizes
  int FLowBits = 0;
  TUInt128 FLowMask = 0;
  TUInt128 FHighMask = 0;
  bool FWide = false;  // a domain past 2^128, whose halves pass 64 bits
  uint64_t FKeys[kRounds] = {};
};

}  // namespace korrin
