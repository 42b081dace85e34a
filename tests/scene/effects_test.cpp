#include "scene/effects.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "scene/image.h"
#include "test_images.h"

using lumiscene::ColourBlend;
using lumiscene::Image;
using lumiscene::WeightTable;

namespace {

WeightTable tableFor(double weight) {
  WeightTable table;
  table.build(weight);
  return table;
}

TEST(WeightTable, ProductsArePulledTowardZeroBeforeTruncation) {
  const WeightTable one = tableFor(1.0);
  EXPECT_EQ(one[0], 0);
  EXPECT_EQ(one[1], 0);
  EXPECT_EQ(one[2], 1);
  EXPECT_EQ(one[3], 2);
  EXPECT_EQ(one[4], 3);
  EXPECT_EQ(one[255], 254);

  const WeightTable half = tableFor(0.5);
  const int32_t expectedHalf[] = {0, 0, 0, 1, 1, 2};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(half[i], expectedHalf[i]) << i;
  EXPECT_EQ(half[255], 127);

  const WeightTable threeQuarters = tableFor(0.75);
  EXPECT_EQ(threeQuarters[1], 0);
  EXPECT_EQ(threeQuarters[2], 1);
  EXPECT_EQ(threeQuarters[255], 191);

  // Negative weights give negative entries, weights above 1 entries above 255.
  EXPECT_EQ(tableFor(-1.0)[255], -254);
  EXPECT_EQ(tableFor(2.0)[255], 509);
}

struct BlendCase {
  std::unique_ptr<Image> frame = scene_test::randomImage(16, 12, 21);
  std::unique_ptr<Image> picture = scene_test::randomImage(16, 12, 22);
  Image before{*frame};
};

TEST(ColourBlend, PlainWeightsNeedNoTables) {
  BlendCase c;
  ColourBlend blend;
  blend.setWeights(0.0, 0.0, 0.0);
  blend.apply(*c.frame, *c.picture, 0, 0, 15, 11);
  EXPECT_TRUE(scene_test::samePixels(*c.frame, c.before));

  blend.setWeights(1.0, 1.0, 1.0);
  blend.apply(*c.frame, *c.picture, 2, 3, 9, 8);
  Image expected(c.before);
  scene_test::referenceBlit(expected, 2, 3, *c.picture, 2, 3, 9, 8);
  EXPECT_TRUE(scene_test::samePixels(*c.frame, expected));

  blend.setWeights(0.5, 0.5, 0.5);
  blend.apply(*c.frame, *c.picture, 0, 0, 15, 11);
  scene_test::referenceBlendHalf(expected, 0, 0, *c.picture, 0, 0, 15, 11);
  EXPECT_TRUE(scene_test::samePixels(*c.frame, expected));
  EXPECT_EQ(blend.tables, nullptr);
}

TEST(ColourBlend, InsetWeightsMixWhiteIntoBlack) {
  Image frame, picture;
  frame.create(4, 4, 0);
  picture.create(4, 4, 0xFFFFFF);
  ColourBlend blend;
  blend.setWeights(0.5, 0.5, 0.75);
  blend.apply(frame, picture, 1, 1, 2, 2);
  EXPECT_EQ(*frame.pixelAt(1, 1), 127u << 16 | 127u << 8 | 191u);
  EXPECT_EQ(*frame.pixelAt(2, 2), 127u << 16 | 127u << 8 | 191u);
  EXPECT_EQ(*frame.pixelAt(0, 0), 0u);
  EXPECT_EQ(*frame.pixelAt(3, 3), 0u);
}

TEST(ColourBlend, TablesAreBuiltOncePerWeightsAndKeptWhilePlainWeightsDraw) {
  ColourBlend blend;
  blend.setWeights(0.2, 0.2, 0.3);
  ASSERT_NE(blend.tables, nullptr);
  const lumiscene::BlendTables* tables = blend.current;
  blend.setWeights(0.2, 0.2, 0.3);
  EXPECT_EQ(blend.tables->builds(), 1);

  // Plain weights leave the tables alone; the earlier weights find them again.
  blend.setWeights(1.0, 1.0, 1.0);
  blend.setWeights(0.2, 0.2, 0.3);
  EXPECT_EQ(blend.tables->builds(), 1);
  EXPECT_EQ(blend.current, tables);
  EXPECT_EQ(blend.current->takeR[200], 200 * 2 / 10 - 1);
  EXPECT_EQ(blend.current->keepB[200], 200 * 7 / 10 - 1);
}

// A ramp that comes back builds each weight once while the cache holds them,
// and past its capacity replaces the weights used longest ago.
TEST(ColourBlend, TheCacheKeepsTheWeightsUsedLast) {
  constexpr int32_t capacity = lumiscene::BlendTableCache::capacity;
  ColourBlend blend;
  for (int round = 0; round < 3; ++round) {
    for (int32_t k = 0; k < capacity; ++k) blend.setWeights(0.01 * (k + 1), 0.02, 0.03);
  }
  EXPECT_EQ(blend.tables->builds(), capacity);

  blend.setWeights(0.9, 0.02, 0.03);  // replaces 0.01, the one used longest ago
  EXPECT_EQ(blend.tables->builds(), capacity + 1);
  blend.setWeights(0.08, 0.02, 0.03);
  EXPECT_EQ(blend.tables->builds(), capacity + 1);
  blend.setWeights(0.01, 0.02, 0.03);
  EXPECT_EQ(blend.tables->builds(), capacity + 2);
  EXPECT_EQ(blend.current->weightR, 0.01);
  EXPECT_EQ(blend.current->takeR[100], 0);
}

TEST(ColourBlend, ASlightlyNegativeWeightBarelyTouchesTheFrame) {
  BlendCase c;
  ColourBlend blend;
  blend.setWeights(-0.004, -0.004, -0.006);
  blend.apply(*c.frame, *c.picture, 0, 0, 15, 11);
  for (int i = 0; i < 16 * 12; ++i) {
    for (int shift = 0; shift <= 16; shift += 8) {
      const int32_t was = static_cast<int32_t>((c.before.pixels[i] >> shift) & 0xFF);
      const int32_t now = static_cast<int32_t>((c.frame->pixels[i] >> shift) & 0xFF);
      ASSERT_LE(std::abs(now - was), 1) << i;
    }
  }
}

TEST(Effects, NewDisplaceKeepsTheDestinationOneLevelDarker) {
  const lumiscene::DisplaceEffect effect;
  EXPECT_EQ(effect.kind, lumiscene::EffectKind::Displace);
  EXPECT_EQ(effect.snapshot, 0);
  EXPECT_EQ(effect.swap, 0);
  EXPECT_EQ(effect.mode, lumiscene::DisplaceMode::Copy);
  EXPECT_EQ(effect.weights.mix(0x80FF01, 0xFFFFFF), 0x7FFE00u);
  EXPECT_EQ(effect.weights.mix(0x000000, 0xFFFFFF), 0x000000u);

  lumiscene::DisplaceEffect copy(effect);
  EXPECT_EQ(copy.weights.keepG[200], 199);
}

TEST(Effects, LogicOperations) {
  const auto logic = [](int32_t op) { return lumiscene::makeLogicEffect(1, 0, op, 0xFF00FF0F, 0x000101); };
  const uint32_t s = 0x123456;
  // The mask is cut to 24 bits: 0x00FF0F.
  EXPECT_EQ(logic(lumiscene::LogicOp::And)->apply(s), 0x003406u);
  EXPECT_EQ(logic(lumiscene::LogicOp::Or)->apply(s), 0x12FF5Fu);
  EXPECT_EQ(logic(lumiscene::LogicOp::Xor)->apply(s), 0x12CB59u);
  EXPECT_EQ(logic(lumiscene::LogicOp::AndOr)->apply(s), 0x003507u);
  EXPECT_EQ(logic(lumiscene::LogicOp::Fill)->apply(s), 0x00FF0Fu);
  EXPECT_EQ(logic(77)->apply(s), 0x00FF0Fu);
}

TEST(Effects, ColourMapLooksUpEachChannel) {
  std::array<uint8_t, 256> invert{}, identity{}, zero{};
  for (int i = 0; i < 256; ++i) {
    invert[i] = static_cast<uint8_t>(255 - i);
    identity[i] = static_cast<uint8_t>(i);
  }
  const auto map = lumiscene::makeColourMapEffect(2, 1, invert, identity, zero);
  EXPECT_EQ(map->apply(0x10A0F0), 0xEFA000u);
  EXPECT_EQ(map->fromFrame, 1);
}

}  // namespace
