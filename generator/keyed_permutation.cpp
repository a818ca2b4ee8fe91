#include "generator/keyed_permutation.h"

#include <algorithm>

namespace korrin {

namespace {

// Below this many bits a Feistel network has too few round functions to mix well; the smaller
// domain is reached by cycle walking, which costs at most 2^kMinBits steps over a whole walk.
constexpr int kMinBits = 16;

uint64_t Mix(uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ull;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

// A round function over halves of up to 96 bits.
TUInt128 Round(TUInt128 half, uint64_t key) {
  const uint64_t a = Mix(Mix(static_cast<uint64_t>(half) ^ key) ^ static_cast<uint64_t>(half >> 64));
  return (TUInt128{Mix(a + key)} << 64) | a;
}

TUInt128 LowMask(int bits) { return bits >= 128 ? ~TUInt128{0} : (TUInt128{1} << bits) - 1; }

}  // namespace

TKeyedPermutation::TKeyedPermutation(const TWideCount& size, TRandom& rng) : FSize(size) {
  const int bits = std::max(size.IndexBits(), kMinBits);
  FLowBits = bits / 2;
  FLowMask = LowMask(FLowBits);
  FHighMask = LowMask(bits - FLowBits);
  for (uint64_t& key : FKeys) key = rng();
}

TWideCount TKeyedPermutation::Encrypt(const TWideCount& x) const {
  // An unbalanced Feistel network: each round changes one half by a keyed function of the other,
  // so every round, and the whole, is a bijection of the 2^bits domain.
  TUInt128 high = x.BitsFrom(FLowBits);
  TUInt128 low = x.Low() & FLowMask;
  for (int i = 0; i < kRounds; ++i) {
    if (i % 2 == 0) high ^= Round(low, FKeys[i]) & FHighMask;
    else low ^= Round(high, FKeys[i]) & FLowMask;
  }
  return TWideCount::Join(high, FLowBits, low);
}

TWideCount TKeyedPermutation::operator()(const TWideCount& index) const {
  // Cycle walking: images outside 0 .. size - 1 are encrypted again until one falls inside,
  // which keeps a bijection on the smaller set.
  TWideCount y = Encrypt(index);
  while (y >= FSize) y = Encrypt(y);
  return y;
}

}  // namespace korrin
