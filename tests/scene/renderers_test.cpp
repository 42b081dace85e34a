// The layer renderers against the plain model of test_model.h.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "pictures/random.h"
#include "scene/scene.h"
#include "test_images.h"
#include "test_model.h"

using lumiscene::Image;
using lumiscene::Layer;
using lumiscene::Scene;
namespace EffectKind = lumiscene::EffectKind;

namespace {

using namespace scene_test;

// A scene of one layer over random 96 x 64 pictures, attached and ready to render.
struct OneLayer {
  explicit OneLayer(uint64_t seed) : picture(scene_test::randomImage(96, 64, seed)), scene(nullptr, picture.get()) {}

  Layer& add(std::unique_ptr<Layer> layer) {
    Layer& added = *layer;
    scene.setLayer(std::move(layer), 0);
    uint32_t seedCounter = 4242;
    scene.attach(seedCounter);
    scene.frame->copyPixels(*scene_test::randomImage(96, 64, 77));
    return added;
  }

  std::unique_ptr<Image> picture;
  Scene scene;
};

std::unique_ptr<Layer> blockLayer(int32_t bx, int32_t by, double density) {
  auto layer = std::make_unique<Layer>();
  layer->setPlacement(3, 2, 90, 60);
  layer->axisX.blockSize = bx;
  layer->axisY.blockSize = by;
  layer->axisX.jitterMin = -2;
  layer->axisX.jitterMax = 3;
  layer->axisY.jitterMin = -1;
  layer->axisY.jitterMax = 1;
  layer->axisX.position = 17.75;
  layer->axisY.position = -1234.5;
  layer->density = density;
  return layer;
}

// Runs the layer, then replays the same instances through the model.
void expectModelMatches(OneLayer& c, Layer& layer, bool shiftedRenderer) {
  Image modelFrame(*c.scene.frame);
  Image modelA(*c.scene.frame), modelB(*c.scene.frame);
  if (c.scene.scratchA) c.scene.scratchA->copyPixels(modelA);
  if (c.scene.scratchB) c.scene.scratchB->copyPixels(modelB);
  layer.render(true);
  const int32_t count = layer.instanceCount();
  ASSERT_GT(count, 50);
  if (!shiftedRenderer) layer.axisX.jitter.assign(layer.axisX.phases.size(), 0);
  if (!shiftedRenderer) layer.axisY.jitter.assign(layer.axisY.phases.size(), 0);
  for (const Instance& in : modelInstances(layer, count)) {
    if (shiftedRenderer && in.skipped) continue;
    for (int32_t k = 0; k < layer.effectCount(); ++k) {
      const lumiscene::Effect& e = *layer.effects[k];
      const Image& read = (e.asLogic() ? e.asLogic()->fromFrame : e.asColourMap() ? e.asColourMap()->fromFrame : 0)
                              ? modelFrame
                              : *c.picture;
      const bool overShifted = e.kind == EffectKind::LogicShifted || e.kind == EffectKind::MapShifted;
      if (e.kind == EffectKind::Displace) {
        modelDisplace(*e.asDisplace(), modelFrame, *c.picture, modelA, modelB, in);
      } else if (!shiftedRenderer || (e.kind >= 1 && e.kind <= 4)) {
        modelPixels(modelFrame, read, overShifted ? in.shifted : in.block, e);
      }
    }
  }
  EXPECT_TRUE(scene_test::samePixels(*c.scene.frame, modelFrame));
}

TEST(Renderers, PhasesAndJitterFollowTheGenerators) {
  OneLayer c(40);
  Layer& layer = c.add(blockLayer(4, 8, 1.0));
  layer.setEffect(std::make_unique<lumiscene::DisplaceEffect>(), 0);
  layer.render(true);
  uint32_t phaseState = 4242, jitterState = 4242 + 2;
  for (int32_t i = 0; i < layer.instanceCount(); ++i) {
    ASSERT_EQ(layer.axisX.phases[i], static_cast<float>(lumiscene::nextRandom(phaseState) / 65536.0));
    ASSERT_EQ(layer.axisX.jitter[i], static_cast<int32_t>(lumiscene::nextRandom16(jitterState) % 6) - 2);
    ASSERT_GE(layer.axisY.jitter[i], -1);
    ASSERT_LE(layer.axisY.jitter[i], 1);
  }
  EXPECT_EQ(layer.axisX.phaseState, phaseState);

  // Equal bounds give that value without drawing a number.
  layer.axisY.jitterMin = layer.axisY.jitterMax = 2;
  const uint32_t before = layer.axisY.jitterState;
  layer.render(true);
  EXPECT_EQ(layer.axisY.jitterState, before);
  EXPECT_EQ(layer.axisY.jitter[5], 2);
}

TEST(Renderers, DisplaceModesMatchTheModel) {
  for (int32_t mode = 0; mode <= 2; ++mode) {
    for (int32_t flags = 0; flags < 4; ++flags) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " flags " << flags);
      OneLayer c(41 + flags);
      Layer& layer = c.add([&] {
        auto l = blockLayer(4, 8, 0.5);
        auto effect = std::make_unique<lumiscene::DisplaceEffect>();
        effect->mode = mode;
        effect->snapshot = flags & 1;
        effect->swap = flags >> 1;
        if (mode == 2) effect->weights.setWeights(0.6, 0.5, 0.3, 0.9, 1.2, -0.3);
        l->setEffect(std::move(effect), 0);
        return l;
      }());
      expectModelMatches(c, layer, true);
    }
  }
}

TEST(Renderers, LogicAndColourMapEffectsMatchTheModel) {
  std::array<uint8_t, 256> red{}, green{}, blue{};
  for (int i = 0; i < 256; ++i) {
    red[i] = static_cast<uint8_t>(255 - i);
    green[i] = static_cast<uint8_t>(i / 2);
    blue[i] = static_cast<uint8_t>(i * 7);
  }
  // Plain renderer: kinds 1 and 2, and kind 0 acting as a logic effect.
  {
    OneLayer c(50);
    Layer& layer = c.add(blockLayer(5, 3, 0.3));
    layer.setEffect(lumiscene::makeLogicEffect(EffectKind::LogicBlock, 1, lumiscene::LogicOp::Xor, 0x5A5A5A, 0), 0);
    layer.setEffect(lumiscene::makeColourMapEffect(EffectKind::MapBlock, 0, red, green, blue), 1);
    layer.setEffect(lumiscene::makeLogicEffect(0, 1, lumiscene::LogicOp::AndOr, 0xF0F0F0, 0x010203), 2);
    expectModelMatches(c, layer, false);
  }
  // Shifted renderer: all four kinds, a Displace, and kind 0 drawing nothing.
  {
    OneLayer c(51);
    Layer& layer = c.add(blockLayer(3, 4, 0.4));
    layer.setEffect(lumiscene::makeLogicEffect(EffectKind::LogicShifted, 1, lumiscene::LogicOp::Or, 0x030303, 0), 0);
    layer.setEffect(lumiscene::makeColourMapEffect(EffectKind::MapShifted, 1, red, green, blue), 1);
    layer.setEffect(lumiscene::makeLogicEffect(0, 0, lumiscene::LogicOp::Fill, 0xFFFFFF, 0), 2);
    layer.setEffect(lumiscene::makeColourMapEffect(EffectKind::MapBlock, 0, blue, red, green), 3);
    layer.setEffect(lumiscene::makeLogicEffect(EffectKind::LogicBlock, 0, lumiscene::LogicOp::And, 0xFF00FF, 0), 4);
    expectModelMatches(c, layer, true);
  }
}

TEST(Renderers, PlacementWrapsIntoThePeriod) {
  OneLayer c(60);
  auto fresh = std::make_unique<Layer>();
  fresh->setPlacement(0, 0, 639, 0);
  fresh->axisX.blockSize = 4;
  fresh->density = 0.007;  // trunc(643 x 0.007 / 4) = 1 instance
  fresh->setEffect(lumiscene::makeLogicEffect(EffectKind::LogicBlock, 0, lumiscene::LogicOp::Fill, 0xABCDEF, 0), 0);
  Image wide;
  wide.create(640, 1, 0);
  c.scene.frame = &wide;
  c.scene.picture = &wide;
  Layer& layer = c.add(std::move(fresh));
  wide.fill(0);
  ASSERT_EQ(layer.instanceCount(), 1);

  layer.axisX.position = -1.0;  // phase 0 + -1 wraps to 642, so p = 639
  layer.render(false);
  for (int32_t x = 0; x < 640; ++x) ASSERT_EQ(wide.pixels[x], x == 639 ? 0xABCDEFu : 0u) << x;

  wide.fill(0);
  layer.axisX.position = 0.0;  // p = -3: the block is cut to its last column, 0
  layer.render(false);
  for (int32_t x = 0; x < 640; ++x) ASSERT_EQ(wide.pixels[x], x == 0 ? 0xABCDEFu : 0u) << x;

  wide.fill(0);
  layer.axisX.position = 645.9;  // 645 wraps to 2, so p = -1: columns 0..2
  layer.render(false);
  for (int32_t x = 0; x < 640; ++x) ASSERT_EQ(wide.pixels[x], x <= 2 ? 0xABCDEFu : 0u) << x;
}

TEST(Renderers, TwinsAtTheEdgeAreCutOrSkipped) {
  OneLayer c(61);
  auto fresh = std::make_unique<Layer>();
  fresh->setPlacement(0, 0, 639, 0);
  fresh->axisX.blockSize = 4;
  fresh->density = 0.007;
  auto copy = std::make_unique<lumiscene::DisplaceEffect>();  // Copy: the block lands on its twin
  fresh->setEffect(std::move(copy), 0);
  Image frame, picture;
  frame.create(640, 1, 0);
  picture.create(640, 1, 0);
  for (int32_t x = 0; x < 640; ++x) picture.pixels[x] = static_cast<uint32_t>(x + 1);
  c.scene.frame = &frame;
  c.scene.picture = &picture;
  Layer& layer = c.add(std::move(fresh));
  frame.fill(0);
  layer.axisX.jitter[0] = 1;

  layer.axisX.position = -1.0;  // the block is (639, 639); its twin would start at 640
  layer.render(false);
  for (int32_t x = 0; x < 640; ++x) ASSERT_EQ(frame.pixels[x], 0u);

  layer.axisX.position = 639.0;  // p = 639 - 3: block 636..639, twin 637..640: both shrink to 3 pixels
  layer.render(false);
  for (int32_t x = 0; x < 640; ++x) {
    ASSERT_EQ(frame.pixels[x], x >= 637 ? static_cast<uint32_t>(x) : 0u) << x;
  }
}

TEST(Renderers, DensityZeroDrawsNothingAndRepeatsDrawTheSamePattern) {
  OneLayer c(62);
  Layer& layer = c.add(blockLayer(4, 8, 0.0));
  layer.setEffect(lumiscene::makeLogicEffect(EffectKind::LogicShifted, 0, lumiscene::LogicOp::Fill, 0x123456, 0), 0);
  const Image before(*c.scene.frame);
  layer.render(true);
  EXPECT_TRUE(scene_test::samePixels(*c.scene.frame, before));

  layer.density = 0.5;
  layer.render(true);
  const Image first(*c.scene.frame);
  c.scene.frame->copyPixels(before);
  layer.setEffect(lumiscene::makeLogicEffect(EffectKind::LogicShifted, 0, lumiscene::LogicOp::Fill, 0x123456, 0), 0);
  layer.render(false);
  EXPECT_TRUE(scene_test::samePixels(*c.scene.frame, first));
}

}  // namespace
