#include "generator/keyed_permutation.h"

#include <gtest/gtest.h>

#include <vector>

namespace korrin {
namespace {

TEST(KeyedPermutation, IsABijectionOfEverySize) {
  TRandom rng(7);
  for (uint64_t size : {1u, 2u, 3u, 255u, 256u, 1000u, 65536u, 65537u, 100000u}) {
    const TKeyedPermutation p(TWideCount(size), rng);
    std::vector<bool> hit(size);
    for (uint64_t i = 0; i < size; ++i) {
      const TWideCount y = p(TWideCount(i));
      ASSERT_LT(y, TWideCount(size));
      ASSERT_FALSE(hit[static_cast<size_t>(y.Low())]) << size;
      hit[static_cast<size_t>(y.Low())] = true;
    }
  }
}

TEST(KeyedPermutation, ServesDomainsPastTwoTo128) {
  TRandom rng(7);
  const TWideCount size = TWideCount::PowerOfTwo(129) + TWideCount(5);
  const TKeyedPermutation p(size, rng);
  int high = 0;  // about half the images lie at or above 2^128
  for (uint64_t i = 0; i < 200; ++i) {
    const TWideCount y = p(TWideCount(i));
    ASSERT_LT(y, size);
    high += !y.FitsIn128();
  }
  EXPECT_GT(high, 50);
  EXPECT_LT(high, 150);
}

}  // namespace
}  // namespace korrin
