#include "generator/keyed_permutation.h"

#include <utility>

namespace korrin {

namespace {

// Up to this size the permutation is a shuffled table.
constexpr uint64_t kTableSize = 4096;

uint64_t Mix(uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ull;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

// The round functions: one mix for halves of up to 64 bits (domains up to 2^128), three for
// the wider halves of larger domains.
uint64_t Round(uint64_t half, uint64_t key) { return Mix(half ^ key); }
TUInt128 Round(TUInt128 half, uint64_t key) {
  const uint64_t a = Mix(Mix(static_cast<uint64_t>(half) ^ key) ^ static_cast<uint64_t>(half >> 64));
  return (TUInt128{Mix(a + key)} << 64) | a;
}

TUInt128 LowMask(int bits) { return bits >= 128 ? ~TUInt128{0} : (TUInt128{1} << bits) - 1; }

}  // namespace

TKeyedPermutation::TKeyedPermutation(const TWideCount& size, TRandom& rng) : FSize(size) {
  if (size <= TWideCount(kTableSize)) {
    FTable.resize(static_cast<size_t>(size.Low()));
    for (uint32_t i = 0; i < FTable.size(); ++i) FTable[i] = i;
    for (size_t left = FTable.size(); left > 1; --left) std::swap(FTable[left - 1], FTable[RandomBelow(rng, left)]);
    return;
  }
  const int bits = size.IndexBits();
  FLowBits = bits / 2;
  FLowMask = LowMask(FLowBits);
  FHighMask = LowMask(bits - FLowBits);
  FWide = bits > 128;
  for (uint64_t& key : FKeys) key = rng();
}

template <typename THalf>
void TKeyedPermutation::Rounds(THalf& high, THalf& low) const {
  // An unbalanced Feistel network: each round changes one half by a keyed function of the other,
  // so every round, and the whole, is a bijection of the 2^bits domain.
  for (int i = 0; i < kRounds; ++i) {
    if (i % 2 == 0) high ^= Round(low, FKeys[i]) & static_cast<THalf>(FHighMask);
    else low ^= Round(high, FKeys[i]) & static_cast<THalf>(FLowMask);
  }
}

TWideCount TKeyedPermutation::Encrypt(const TWideCount& x) const {
  if (!FWide) {
    auto high = static_cast<uint64_t>(x.Low() >> FLowBits);
    auto low = static_cast<uint64_t>(x.Low() & FLowMask);
    Rounds(high, low);
    return (TUInt128{high} << FLowBits) | low;
  }
  TUInt128 high = x.BitsFrom(FLowBits);
  TUInt128 low = x.Low() & FLowMask;
  Rounds(high, low);
  return TWideCount::Join(high, FLowBits, low);
}

TWideCount TKeyedPermutation::operator()(const TWideCount& index) const {
  if (!FTable.empty()) return FTable[static_cast<size_t>(index.Low())];
  // Cycle walking: images outside 0 .. size - 1 are encrypted again until one falls inside,
  // which keeps a bijection on the smaller set.
  TWideCount y = Encrypt(index);
  while (y >= FSize) y = Encrypt(y);
  return y;
}

}  // namespace korrin
