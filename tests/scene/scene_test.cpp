#include "scene/scene.h"

#include <gtest/gtest.h>

#include <utility>

#include "app/clock.h"
#include "platform/portable/headless/headless.h"
#include "test_images.h"

using lumiscene::Image;
using lumiscene::Layer;
using lumiscene::Panorama;
using lumiscene::Scene;

namespace {

class SceneTest : public ::testing::Test {
protected:
  void SetUp() override {
    headless::reset();
    lumiscene::calibrateClock();
  }
};

TEST(Layer, InstanceCountOfTheShimmer) {
  Layer layer;
  layer.setPlacement(0, 0, 639, 479);
  layer.axisX.blockSize = 4;
  layer.axisY.blockSize = 8;
  layer.density = 1.0;
  EXPECT_EQ(layer.instanceCount(), 9785);
  EXPECT_EQ(layer.axisX.start, -3);
  EXPECT_EQ(layer.axisX.period, 643);
  EXPECT_EQ(layer.axisY.start, -7);
  EXPECT_EQ(layer.axisY.period, 487);
  layer.density = 0.0;
  EXPECT_EQ(layer.instanceCount(), 0);
}

TEST(Layer, OnlyEffectsUpToTheFirstEmptySlotCount) {
  Layer layer;
  layer.setEffect(std::make_unique<lumiscene::DisplaceEffect>(), 0);
  layer.setEffect(std::make_unique<lumiscene::DisplaceEffect>(), 2);
  layer.setEffect(std::make_unique<lumiscene::DisplaceEffect>(), 8);
  layer.setEffect(std::make_unique<lumiscene::DisplaceEffect>(), -1);
  EXPECT_EQ(layer.effectCount(), 1);
}

TEST(Panorama, OffsetsWrapIntoTwiceTheWindow) {
  const auto picture = scene_test::randomImage(640, 4, 31);
  Panorama panorama(*picture);
  EXPECT_EQ(panorama.tile->width, 640);
  EXPECT_EQ(panorama.tile->height, 4);
  const auto offsetAfter = [&](double start, double shift) {
    panorama.offsetX = start;
    panorama.scroll(shift, 0.0);
    return panorama.offsetX;
  };
  EXPECT_EQ(offsetAfter(0.0, -1.0), 1279.0);
  EXPECT_EQ(offsetAfter(0.0, 1280.0), 0.0);
  EXPECT_EQ(offsetAfter(0.0, 2561.5), 1.5);
  EXPECT_EQ(offsetAfter(0.0, -1280.0), 0.0);
  EXPECT_EQ(offsetAfter(100.0, -2660.25), 1279.75);
}

// The view cut from the one tile with mirrored indexing is the part of the
// whole 3 x 3 tiling at every offset the panorama can take, on pictures
// narrower than one vector register, not a whole number of registers wide, and wide.
TEST(Panorama, TheViewAtEveryOffsetIsThatPartOfTheWholeTiling) {
  for (const auto& [width, height] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{13, 5}, std::pair{24, 3}}) {
    const auto picture = scene_test::randomImage(width, height, 33);
    const Panorama panorama(*picture);
    Image tiles;
    tiles.create(3 * width, 3 * height, 0);
    tiles.tileMirrored(*picture);
    Image view(*picture), expected(*picture);
    for (int32_t y = 0; y < 2 * height; ++y) {
      for (int32_t x = 0; x < 2 * width; ++x) {
        panorama.cutView(view, x, y);
        expected.blit(0, 0, tiles, x, y, x + width - 1, y + height - 1);
        ASSERT_TRUE(scene_test::samePixels(view, expected))
            << width << "x" << height << " at " << x << "," << y;
      }
    }
  }
}

TEST(Panorama, AShiftOfMinusTenMovesThePictureTenPixelsRight) {
  const auto picture = scene_test::randomImage(40, 6, 32);
  Panorama panorama(*picture);
  panorama.setMotion(0.0, 0.0, -10, 0);
  double shiftX = 99, shiftY = 99;
  panorama.advance(0.5, shiftX, shiftY);
  EXPECT_EQ(shiftX, -10.0);
  EXPECT_EQ(shiftY, 0.0);
  EXPECT_EQ(panorama.pendingDx, 0);
  EXPECT_EQ(panorama.offsetX, 70.0);
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 0; x < 40; ++x) {
      // The ten columns that come in on the left continue the picture mirrored.
      const uint32_t expected = x >= 10 ? *picture->pixelAt(x - 10, y) : *picture->pixelAt(9 - x, y);
      ASSERT_EQ(*panorama.window->pixelAt(x, y), expected) << x << "," << y;
    }
  }

  // Drift counts against the pending shift; vertical shifts use the vertical mirror.
  panorama.setMotion(4.0, -2.0, 0, 0);
  panorama.advance(0.5, shiftX, shiftY);
  EXPECT_EQ(shiftX, -2.0);
  EXPECT_EQ(shiftY, 1.0);
  EXPECT_EQ(*panorama.window->pixelAt(0, 0), *picture->pixelAt(11, 1));
}

TEST(Scene, SetActiveAndStep) {
  Scene scene(nullptr, nullptr);
  scene.clock = lumiscene::millisecondsNow;
  EXPECT_FALSE(scene.step());
  scene.setActive(1, 0);
  EXPECT_EQ(scene.restart, 1);
  EXPECT_EQ(scene.continuous, 0);
  EXPECT_TRUE(scene.step());
  EXPECT_EQ(scene.restart, 0);
  EXPECT_FALSE(scene.step());

  scene.setActive(1, 1);
  scene.setActive(0, 0);
  EXPECT_EQ(scene.continuous, 1);
  EXPECT_EQ(scene.restart, 1);
  EXPECT_FALSE(scene.step());
  scene.setActive(0x101, 1);
  EXPECT_EQ(scene.enabled, 1);
}

TEST_F(SceneTest, AttachSeedsAxesCreatesImagesAndAdvancesTheCounter) {
  const auto picture = scene_test::randomImage(640, 480, 33);
  Scene scene(nullptr, picture.get());
  scene.clock = lumiscene::millisecondsNow;
  scene.setLayer(std::make_unique<Layer>(), 3);
  auto displacing = std::make_unique<Layer>();
  displacing->setEffect(std::make_unique<lumiscene::DisplaceEffect>(), 0);
  scene.setLayer(std::move(displacing), 9);
  scene.setLayer(std::make_unique<Layer>(), 16);

  uint32_t seedCounter = 1000;
  scene.attach(seedCounter);
  EXPECT_EQ(seedCounter, 1016u);
  const Layer& first = *scene.layers[3];
  EXPECT_EQ(first.axisX.phaseState, 1000u);
  EXPECT_EQ(first.axisX.jitterState, 1002u);
  EXPECT_EQ(first.axisY.phaseState, 1004u);
  EXPECT_EQ(first.axisY.jitterState, 1006u);
  EXPECT_EQ(scene.layers[9]->axisX.phaseState, 1008u);

  ASSERT_NE(scene.frame, nullptr);
  EXPECT_EQ(scene.frame->width, 640);
  EXPECT_EQ(scene.frame->height, 480);
  EXPECT_TRUE(scene_test::samePixels(*scene.frame, *picture));
  EXPECT_EQ(first.scratchA, nullptr);
  ASSERT_NE(scene.scratchA, nullptr);
  ASSERT_NE(scene.scratchB, nullptr);
  EXPECT_NE(scene.scratchA, scene.scratchB);
  EXPECT_EQ(scene.layers[9]->frame, scene.frame);
}

TEST_F(SceneTest, ASecondAttachIsRefused) {
  const auto picture = scene_test::randomImage(32, 16, 34);
  Scene scene(nullptr, picture.get());
  scene.clock = lumiscene::millisecondsNow;
  auto panoramaLayer = std::make_unique<Layer>();
  panoramaLayer->hasPanorama = 1;
  scene.setLayer(std::move(panoramaLayer), 0);
  uint32_t seedCounter = 0;
  scene.attach(seedCounter);
  Image* window = scene.picture;
  EXPECT_EQ(window, scene.layers[0]->panorama->window.get());
  EXPECT_DEBUG_DEATH(scene.attach(seedCounter), "attached once");
  EXPECT_EQ(scene.picture, window);
  scene.setActive(1, 1);
  EXPECT_TRUE(scene.step());
}

TEST_F(SceneTest, APanoramaShiftMovesTheBlocksOfLaterLayers) {
  const auto picture = scene_test::randomImage(64, 32, 35);
  Scene scene(nullptr, picture.get());
  scene.clock = lumiscene::millisecondsNow;
  auto panoramaLayer = std::make_unique<Layer>();
  panoramaLayer->hasPanorama = 1;
  panoramaLayer->setPlacement(0, 0, 63, 31);
  scene.setLayer(std::move(panoramaLayer), 0);
  auto blocks = std::make_unique<Layer>();
  blocks->axisX.speed = 20.0;
  scene.setLayer(std::move(blocks), 1);
  uint32_t seedCounter = 0;
  scene.attach(seedCounter);
  EXPECT_EQ(scene.picture, scene.layers[0]->panorama->window.get());
  EXPECT_EQ(scene.layers[1]->picture, scene.picture);

  // The first update sees the whole clock as elapsed time.
  headless::advanceClockMicroseconds(5'000'000);
  scene.setActive(1, 1);
  scene.step();
  EXPECT_EQ(scene.lastUpdateMs, 5000u);
  EXPECT_EQ(scene.layers[1]->axisX.position, 100.0);

  headless::advanceClockMicroseconds(250'000);
  scene.layers[0]->panorama->setMotion(0.0, 0.0, -6, 0);
  scene.step();
  EXPECT_EQ(scene.layers[0]->axisX.position, 6.0);
  EXPECT_EQ(scene.layers[1]->axisX.position, 100.0 + 5.0 + 6.0);
  EXPECT_EQ(scene.layers[1]->axisY.position, 0.0);
  EXPECT_EQ(scene.renderMs, 0);
}

}  // namespace
