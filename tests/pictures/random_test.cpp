// Both kinds of random generator: the width-derived parameters and the fixed steps.
#include <gtest/gtest.h>

#include "pictures/random.h"

namespace lumiscene {
namespace {

TEST(RandomGeneratorTest, DerivesParametersFromTheWidth) {
  const RandomGenerator g32(32);
  EXPECT_EQ(g32.mask, 0xFFFFFFFFu);
  EXPECT_EQ(g32.multiplier, 0x6487ED55u);
  EXPECT_EQ(g32.increment, 0x361962EBu);
  EXPECT_EQ(g32.byteShift, 24u);

  const RandomGenerator g1(1);
  EXPECT_EQ(g1.mask, 1u);
  EXPECT_EQ(g1.multiplier, 1u);
  EXPECT_EQ(g1.increment, 1u);
  EXPECT_EQ(g1.byteShift, 0u);

  const RandomGenerator g16(16);
  EXPECT_EQ(g16.mask, 0xFFFFu);
  EXPECT_EQ(g16.multiplier % 8, 5u);
  EXPECT_EQ(g16.increment % 2, 1u);
  EXPECT_EQ(g16.byteShift, 8u);
}

TEST(RandomGeneratorTest, ClampsTheWidth) {
  const RandomGenerator zero(0), one(1), big(33), huge(0xFFFFFFFFu), full(32);
  EXPECT_EQ(zero.width, 1u);
  EXPECT_EQ(zero.multiplier, one.multiplier);
  EXPECT_EQ(zero.increment, one.increment);
  for (const RandomGenerator* g : {&big, &huge}) {
    EXPECT_EQ(g->width, 32u);
    EXPECT_EQ(g->multiplier, full.multiplier);
    EXPECT_EQ(g->increment, full.increment);
  }
}

TEST(RandomGeneratorTest, MultiplierAndIncrementKeepTheirResiduesAtEveryWidth) {
  for (uint32_t width = 3; width <= 32; ++width) {
    const RandomGenerator g(width);
    EXPECT_EQ(g.multiplier & 7u, 5u) << width;
    EXPECT_EQ(g.increment & 1u, 1u) << width;
    EXPECT_EQ(g.multiplier & ~g.mask, 0u) << width;
  }
}

TEST(RandomGeneratorTest, WidthOneAlternatesBetweenTwoStates) {
  const RandomGenerator g(1);
  uint32_t x = 0;
  x = g.nextState(x);
  EXPECT_EQ(x, 1u);
  EXPECT_EQ(g.outputByte(x), 1u);
  x = g.nextState(x);
  EXPECT_EQ(x, 0u);
  EXPECT_EQ(g.outputByte(x), 0u);
}

TEST(RandomGeneratorTest, NarrowWidthsGiveBytesBelowTwoToTheWidth) {
  for (uint32_t width = 2; width <= 8; ++width) {
    const RandomGenerator g(width);
    uint32_t x = 0x12345;
    for (int i = 0; i < 1000; ++i) {
      x = g.nextState(x);
      ASSERT_LT(g.outputByte(x), 1u << width) << width;
    }
  }
}

TEST(RandomGeneratorTest, WideStatesOutputTheirTopByte) {
  const RandomGenerator g(20);
  EXPECT_EQ(g.outputByte(0xABCDEu), 0xABu);
  const RandomGenerator g32(32);
  EXPECT_EQ(g32.nextState(0), 0x361962EBu);
  EXPECT_EQ(g32.outputByte(0x361962EBu), 0x36u);
}

TEST(FixedStepTest, StepsFromZero) {
  uint32_t s = 0;
  EXPECT_EQ(nextRandom(s), 0x361962E9u);
  EXPECT_EQ(s, 0x361962E9u);
  s = 0;
  EXPECT_EQ(nextRandom16(s), 0x3619u);
  EXPECT_EQ(s, 0x361962E9u);
  s = 0;
  EXPECT_EQ(nextRandom8(s), 0x36u);
  EXPECT_EQ(s, 0x361962E9u);
}

TEST(FixedStepTest, WrapsModuloTwoToTheThirtyTwo) {
  uint32_t s = 0xFFFFFFFFu;
  const uint32_t expected = static_cast<uint32_t>(0xFFFFFFFFull * 0x6487ED55ull + 0x361962E9ull);
  EXPECT_EQ(nextRandom(s), expected);
}

}  // namespace
}  // namespace lumiscene
