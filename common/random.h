#pragma once
// The pseudo-random generator type: each owner (a generation run, the window's Shuffle, the DNS
// query ids) holds and seeds its own, so that no generator is shared between threads.
#include <cstdint>
#include <random>

namespace korrin {

using TRandom = std::mt19937_64;

// A uniform integer from 0 to m - 1; 0 when m <= 1.
inline uint64_t RandomBelow(TRandom& rng, uint64_t m) {
  if (m <= 1) return 0;
  return std::uniform_int_distribution<uint64_t>(0, m - 1)(rng);
}

// A seed from std::random_device mixed with the clock, for runs that were not given one.
uint64_t FreshSeed();

}  // namespace korrin
