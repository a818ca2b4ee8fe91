#pragma once
// The pseudo-random generator type: each owner (a generation run, the window's Shuffle, the DNS
// query ids) holds and seeds its own, so that no generator is shared between threads.
#include <cstdint>
#include <random>

namespace korrin {

using TRandom = std::mt19937_64;

// A uniform integer from 0 to m - 1 (0 when m <= 1), by multiply-and-reject: unbiased, and
// without the division that a distribution object costs on every draw.
inline uint64_t RandomBelow(TRandom& rng, uint64_t m) {
  if (m <= 1) return 0;
  __extension__ typedef unsigned __int128 U128;
  U128 product = U128{rng()} * m;
  auto low = static_cast<uint64_t>(product);
  if (low < m) {
    const uint64_t threshold = (0 - m) % m;
    while (low < threshold) {
      product = U128{rng()} * m;
      low = static_cast<uint64_t>(product);
    }
  }
  return static_cast<uint64_t>(product >> 64);
}

// A seed from std::random_device mixed with the clock, for runs that were not given one.
uint64_t FreshSeed();

}  // namespace korrin
