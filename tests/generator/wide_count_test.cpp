#include "generator/wide_count.h"

#include <gtest/gtest.h>

namespace korrin {
namespace {

TEST(WideCount, ArithmeticAndTextPastTwoTo128) {
  const TWideCount v6 = TWideCount::PowerOfTwo(128);
  EXPECT_EQ(v6.ToString(), "340282366920938463463374607431768211456");
  EXPECT_EQ((v6 - TWideCount(1)).ToString(), "340282366920938463463374607431768211455");
  EXPECT_EQ((v6 + v6).Times(65535).ToString(), "44600809832327404406144509796081859475537920");
  EXPECT_EQ(TWideCount(0).ToString(), "0");
  EXPECT_EQ(TWideCount(10000000000000000000ull).ToString(), "10000000000000000000");
  EXPECT_EQ(TWideCount(68718428160).ToString(), "68718428160");
  EXPECT_LT(TWideCount(~TUInt128{0}), v6);
  EXPECT_EQ(TWideCount::Join(TWideCount::PowerOfTwo(150).BitsFrom(96), 96, 0), TWideCount::PowerOfTwo(150));
  // Past 192 bits a count saturates instead of wrapping round to a small one.
  const TWideCount huge = TWideCount::PowerOfTwo(191);
  EXPECT_GT(huge + huge, huge);
  EXPECT_GT(huge.Times(4), huge);
}

TEST(WideCount, IndexBitsNumberEveryIndex) {
  const struct {
    TWideCount count;
    int bits;
  } cases[] = {{0, 0},
               {1, 0},
               {2, 1},
               {3, 2},
               {256, 8},
               {257, 9},
               {TWideCount::PowerOfTwo(128), 128},
               {TWideCount::PowerOfTwo(128) + TWideCount(1), 129},
               {TWideCount::PowerOfTwo(191), 191}};
  for (const auto& c : cases) EXPECT_EQ(c.count.IndexBits(), c.bits) << c.count.ToString();
}

}  // namespace
}  // namespace korrin
