#pragma once
// A count of addresses or lines that may pass 2^128: an IPv6 window alone holds up to 2^128
// addresses, and a run adds up its ranges and multiplies them by its ports. 192 bits hold any
// run that fits in memory as range lines; past them the count saturates.
#include <compare>
#include <cstdint>
#include <string>

namespace korrin {

__extension__ typedef unsigned __int128 TUInt128;

class TWideCount {
 public:
  constexpr TWideCount() = default;
  constexpr TWideCount(TUInt128 low) : FLow(low) {}  // NOLINT: every 128-bit value is a count
  static TWideCount PowerOfTwo(int bit);             // 0 <= bit < 192

  TWideCount& operator+=(const TWideCount& o);
  friend TWideCount operator+(TWideCount a, const TWideCount& b) { return a += b; }
  // a - b for a >= b.
  friend TWideCount operator-(const TWideCount& a, const TWideCount& b);
  TWideCount Times(uint64_t factor) const;
  // The quotient by divisor > 0; the remainder goes to rest.
  TWideCount DividedBy(uint64_t divisor, uint64_t& rest) const;
  friend std::strong_ordering operator<=>(const TWideCount& a, const TWideCount& b) {
    if (a.FHigh != b.FHigh) return a.FHigh <=> b.FHigh;
    return a.FLow == b.FLow ? std::strong_ordering::equal
                            : (a.FLow < b.FLow ? std::strong_ordering::less : std::strong_ordering::greater);
  }
  friend bool operator==(const TWideCount&, const TWideCount&) = default;

  // The smallest b with 2^b > value - 1, i.e. the bits that number 0 .. value - 1.
  int IndexBits() const;
  bool FitsIn128() const { return FHigh == 0; }
  TUInt128 Low() const { return FLow; }
  // The bits from position `bit` (0 < bit < 128) up, for a value below 2^(bit + 128).
  TUInt128 BitsFrom(int bit) const;
  // hi * 2^bit + lo, for 0 < bit < 128, lo < 2^bit and a result below 2^192.
  static TWideCount Join(TUInt128 hi, int bit, TUInt128 lo);
  std::string ToString() const;

 private:
  TUInt128 FLow = 0;
  uint64_t FHigh = 0;
};

}  // namespace korrin
