#include "generator/wide_count.h"

#include <algorithm>
#include <limits>

namespace korrin {

namespace {
constexpr uint64_t kMax64 = std::numeric_limits<uint64_t>::max();
constexpr TUInt128 kMax128 = ~TUInt128{0};
}  // namespace

TWideCount TWideCount::PowerOfTwo(int bit) {
  TWideCount c;
  if (bit < 128) c.FLow = TUInt128{1} << bit;
  else c.FHigh = uint64_t{1} << (bit - 128);
  return c;
}

TWideCount& TWideCount::operator+=(const TWideCount& o) {
  const TUInt128 low = FLow + o.FLow;
  const uint64_t carry = low < FLow ? 1 : 0;
  if (FHigh > kMax64 - o.FHigh || FHigh + o.FHigh > kMax64 - carry) {
    FLow = kMax128;
    FHigh = kMax64;
    return *this;
  }
  FHigh += o.FHigh + carry;
  FLow = low;
  return *this;
}

TWideCount operator-(const TWideCount& a, const TWideCount& b) {
  TWideCount d;
  d.FLow = a.FLow - b.FLow;
  d.FHigh = a.FHigh - b.FHigh - (a.FLow < b.FLow ? 1 : 0);
  return d;
}

TWideCount TWideCount::Times(uint64_t factor) const {
  // Three 64-bit limbs, lowest first, each multiplied with the carry of the one below.
  const uint64_t limbs[3] = {static_cast<uint64_t>(FLow), static_cast<uint64_t>(FLow >> 64), FHigh};
  uint64_t out[3];
  TUInt128 carry = 0;
  for (int i = 0; i < 3; ++i) {
    const TUInt128 p = TUInt128{limbs[i]} * factor + carry;
    out[i] = static_cast<uint64_t>(p);
    carry = p >> 64;
  }
  TWideCount c;
  if (carry != 0) {
    c.FLow = kMax128;
    c.FHigh = kMax64;
    return c;
  }
  c.FLow = (TUInt128{out[1]} << 64) | out[0];
  c.FHigh = out[2];
  return c;
}

TWideCount TWideCount::DividedBy(uint64_t divisor, uint64_t& rest) const {
  // Long division over the three limbs, most significant first.
  uint64_t limbs[3] = {FHigh, static_cast<uint64_t>(FLow >> 64), static_cast<uint64_t>(FLow)};
  TUInt128 carry = 0;
  for (uint64_t& limb : limbs) {
    const TUInt128 v = (carry << 64) | limb;
    limb = static_cast<uint64_t>(v / divisor);
    carry = v % divisor;
  }
  rest = static_cast<uint64_t>(carry);
  TWideCount q;
  q.FHigh = limbs[0];
  q.FLow = (TUInt128{limbs[1]} << 64) | limbs[2];
  return q;
}

int TWideCount::IndexBits() const {
  if (*this <= TWideCount(1)) return 0;
  const TWideCount last = *this - TWideCount(1);
  if (last.FHigh != 0) return 192 - __builtin_clzll(last.FHigh);
  const auto high = static_cast<uint64_t>(last.FLow >> 64);
  if (high != 0) return 128 - __builtin_clzll(high);
  return 64 - __builtin_clzll(static_cast<uint64_t>(last.FLow));
}

TUInt128 TWideCount::BitsFrom(int bit) const { return (FLow >> bit) | (TUInt128{FHigh} << (128 - bit)); }

TWideCount TWideCount::Join(TUInt128 hi, int bit, TUInt128 lo) {
  TWideCount c;
  c.FLow = (hi << bit) | lo;
  c.FHigh = static_cast<uint64_t>(hi >> (128 - bit));
  return c;
}

std::string TWideCount::ToString() const {
  // Repeated division by 10^19, lowest digits first.
  constexpr uint64_t kChunk = 10000000000000000000ull;
  TWideCount left = *this;
  std::string digits;
  do {
    uint64_t chunk = 0;
    left = left.DividedBy(kChunk, chunk);
    const bool more = left != TWideCount();
    for (int i = 0; i < 19 && (more || chunk != 0); ++i) {
      digits.push_back(static_cast<char>('0' + chunk % 10));
      chunk /= 10;
    }
    if (!more) break;
  } while (true);
  if (digits.empty()) digits = "0";
  std::reverse(digits.begin(), digits.end());
  return digits;
}

}  // namespace korrin
