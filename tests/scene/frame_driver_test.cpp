// The frame driver on the headless virtual clock: every frame sleeps 10 ms
// (100 ms while inactive), so frame k of an active window ends at 10k ms.
#include "scene/frame_driver.h"

#include <gtest/gtest.h>

#include "app/clock.h"
#include "display/program_frames.h"
#include "platform/portable/headless/headless.h"
#include "allocation_count.h"
#include "test_images.h"
#include "test_model.h"

using lumiscene::FrameDriver;
using lumiscene::Image;

namespace {

class FrameDriverTest : public ::testing::Test {
protected:
  void SetUp() override {
    restartClock();
    picture1 = scene_test::randomImage(640, 480, 71);
    picture2 = std::make_unique<Image>();
    picture2->create(640, 480, 0x404020);
    picture2->placeCentred(*scene_test::randomImage(500, 300, 72));
  }

  // What the program would say about the coming frame.
  lumiscene::FrameInputs inputs() const { return {active, depth, picture1.get(), picture2.get()}; }

  static void restartClock() {
    headless::reset();
    lumiscene::calibrateClock();
  }
  static uint64_t nowMs() { return headless::clockMicroseconds() / 1000; }

  // Runs frames until one ends at ms; returns what the last advanceFrame said.
  bool runUntil(FrameDriver& driver, uint64_t ms) const {
    bool changed = false;
    while (nowMs() < ms) {
      driver.preparePictures(inputs());
      changed = driver.advanceFrame(inputs());
    }
    return changed;
  }

  // Long waits go by in inactive frames of 100 ms (pacing and panning are all
  // that activity changes), the last stretch in active frames of 10 ms.
  bool skipTo(FrameDriver& driver, uint64_t ms) {
    active = false;
    while (nowMs() + 100 < ms) {
      driver.preparePictures(inputs());
      driver.advanceFrame(inputs());
    }
    active = true;
    return runUntil(driver, ms);
  }

  // Scene 1 modelled from scratch: the panorama's window at its offset, then
  // the shimmer's instances from the layer's own phases and jitter.
  static void expectSceneOneModel(const FrameDriver& driver) {
    const lumiscene::Layer& panoramaLayer = *driver.scene1()->layers[0];
    lumiscene::Layer& shimmer = *driver.scene1()->layers[1];
    const Image& prepared = *driver.preparedPicture1;
    Image expected(prepared);
    const auto ox = static_cast<int32_t>(panoramaLayer.panorama->offsetX);
    const auto oy = static_cast<int32_t>(panoramaLayer.panorama->offsetY);
    for (int32_t y = 0; y < 480; ++y)
      for (int32_t x = 0; x < 640; ++x) {
        // The 3 x 3 mirror tiling, read directly.
        const int32_t tx = x + ox, ty = y + oy;
        const int32_t sx = (tx / 640) % 2 ? 639 - tx % 640 : tx % 640;
        const int32_t sy = (ty / 480) % 2 ? 479 - ty % 480 : ty % 480;
        *expected.pixelAt(x, y) = *prepared.pixelAt(sx, sy);
      }
    Image a(expected), a2(expected);
    const auto& effect = *shimmer.effects[0]->asDisplace();
    for (const auto& in : scene_test::modelInstances(shimmer, shimmer.instanceCount())) {
      if (!in.skipped) scene_test::modelDisplace(effect, expected, *shimmer.picture, a, a2, in);
    }
    EXPECT_TRUE(scene_test::samePixels(*driver.frameImage, expected));
  }

  bool active = true;
  int32_t depth = 32;
  std::unique_ptr<Image> picture1;
  std::unique_ptr<Image> picture2;
};

TEST_F(FrameDriverTest, TheFirstFrameBuildsBothScenes) {
  FrameDriver driver{lumiscene::programFrameHost()};
  driver.preparePictures(inputs());
  EXPECT_EQ(driver.preparedDepth(), 32);
  EXPECT_TRUE(driver.advanceFrame(inputs()));
  EXPECT_EQ(headless::sleptMilliseconds(), 10u);
  ASSERT_NE(driver.frameImage, nullptr);
  EXPECT_EQ(driver.frameImage->width, 640);
  EXPECT_EQ(driver.frameImage->height, 480);
  EXPECT_EQ(driver.frameImage, driver.scene1()->frame);
  EXPECT_EQ(driver.scene2()->frame, driver.frameImage);
  EXPECT_EQ(driver.scene2()->picture, driver.preparedPicture2.get());
  EXPECT_EQ(driver.scene2()->enabled, 0);
  EXPECT_EQ(driver.modeStart(), 10u);
  // Seeds: the clock at build time (10), 16 of them for scene 1, then scene 2.
  EXPECT_EQ(driver.scene2()->layers[0]->axisX.phaseState, 26u);
  EXPECT_EQ(driver.scene1()->layers[1]->axisX.jitter.size(), 9785u);
  expectSceneOneModel(driver);

  // Later frames keep the pattern and only move it (20 px/s, so 0.2 px per frame).
  runUntil(driver, 60);
  EXPECT_DOUBLE_EQ(driver.scene1()->layers[1]->axisX.position, 0.2 + 5 * 0.2);
  expectSceneOneModel(driver);
}

TEST_F(FrameDriverTest, FramesAfterTheFirstAllocateNothing) {
  FrameDriver driver{lumiscene::programFrameHost()};
  runUntil(driver, 10);
  driver.insetMode = 1;
  runUntil(driver, 30);  // the inset's tables are made on its first non-zero weights
  const int64_t before = scene_test::allocationCount();
  headless::setPointer(17, 0);
  runUntil(driver, 300);
  driver.insetMode = 0;
  runUntil(driver, 350);
  EXPECT_EQ(scene_test::allocationCount(), before);
}

TEST_F(FrameDriverTest, NothingIsBuiltWithoutPictures) {
  picture1.reset();
  FrameDriver driver{lumiscene::programFrameHost()};
  driver.preparePictures(inputs());
  EXPECT_FALSE(driver.advanceFrame(inputs()));
  EXPECT_EQ(driver.frameImage, nullptr);
}

TEST_F(FrameDriverTest, PointerMovesPanTwiceAsFarAndOnlySideways) {
  FrameDriver driver{lumiscene::programFrameHost()};
  runUntil(driver, 100);
  const double before = driver.scene1()->layers[1]->axisX.position;
  headless::setPointer(5, 0);
  runUntil(driver, 110);
  const auto& panorama = *driver.scene1()->layers[0]->panorama;
  EXPECT_EQ(panorama.offsetX, 1270.0);  // -10, wrapped
  EXPECT_EQ(driver.lastCursor.x, 5);
  EXPECT_DOUBLE_EQ(driver.scene1()->layers[1]->axisX.position, before + 0.2 + 10.0);
  // Column 10 of the panorama's view now shows column 0 of the picture.
  EXPECT_EQ(*panorama.view().pixelAt(10, 0), *driver.preparedPicture1->pixelAt(0, 0));
  expectSceneOneModel(driver);

  headless::setPointer(5, 40);
  runUntil(driver, 120);
  EXPECT_EQ(panorama.offsetX, 1270.0);
  EXPECT_EQ(panorama.offsetY, 0.0);
  EXPECT_EQ(driver.lastCursor.y, 40);

  // An unreadable pointer skips panning and keeps the last position.
  headless::setPointerReadable(false);
  headless::setPointer(300, 40);
  runUntil(driver, 130);
  EXPECT_EQ(panorama.offsetX, 1270.0);
  EXPECT_EQ(driver.lastCursor.x, 5);
}

TEST_F(FrameDriverTest, AnInactiveWindowSleepsLongerAndDoesNotPan) {
  FrameDriver driver{lumiscene::programFrameHost()};
  runUntil(driver, 10);
  active = false;
  headless::setPointer(-7, 3);
  driver.preparePictures(inputs());
  EXPECT_TRUE(driver.advanceFrame(inputs()));
  EXPECT_EQ(nowMs(), 110u);
  EXPECT_EQ(driver.scene1()->layers[0]->panorama->offsetX, 0.0);
  EXPECT_EQ(driver.lastCursor.x, -7);
  EXPECT_EQ(driver.lastCursor.y, 3);
}

TEST_F(FrameDriverTest, TheInsetComesAfterThirtySecondsAndLastsSix) {
  FrameDriver driver{lumiscene::programFrameHost()};
  runUntil(driver, 10);
  skipTo(driver, 30000);
  EXPECT_EQ(driver.insetMode, 0);
  runUntil(driver, 30010);
  EXPECT_EQ(driver.insetMode, 1);
  EXPECT_EQ(driver.modeStart(), 30010u);
  EXPECT_EQ(driver.scene2()->enabled, 1);
  skipTo(driver, 36000);
  EXPECT_EQ(driver.insetMode, 1);
  runUntil(driver, 36010);
  EXPECT_EQ(driver.insetMode, 0);
  EXPECT_EQ(driver.scene2()->enabled, 0);
}

TEST_F(FrameDriverTest, TheKeyStartsAFreshPeriod) {
  FrameDriver driver{lumiscene::programFrameHost()};
  runUntil(driver, 10);
  skipTo(driver, 20000);
  driver.insetMode = 1;  // the switching key
  runUntil(driver, 20010);
  EXPECT_EQ(driver.appliedMode(), 1);
  EXPECT_EQ(driver.modeStart(), 20010u);
  skipTo(driver, 26000);
  EXPECT_EQ(driver.insetMode, 1);
  runUntil(driver, 26010);
  EXPECT_EQ(driver.insetMode, 0);

  // Pressed during the inset, it ends it at once; the next one is 30 s away.
  skipTo(driver, 56010);
  EXPECT_EQ(driver.insetMode, 1);
  skipTo(driver, 57000);
  driver.insetMode = 0;
  runUntil(driver, 57010);
  EXPECT_EQ(driver.modeStart(), 57010u);
  EXPECT_EQ(driver.scene2()->enabled, 0);
}

TEST_F(FrameDriverTest, ThePulseRisesHoldsAndFalls) {
  EXPECT_EQ(FrameDriver::pulse(0), 0.0);
  EXPECT_NEAR(FrameDriver::pulse(1000), 0.333, 1e-12);
  EXPECT_EQ(FrameDriver::pulse(3000), 0.5);
  EXPECT_NEAR(FrameDriver::pulse(5000), 0.335, 1e-12);
  EXPECT_EQ(FrameDriver::pulse(1502), 0.5);
  EXPECT_LT(FrameDriver::pulse(1501), 0.5);
  EXPECT_LT(FrameDriver::pulse(6010), 0.0);

  FrameDriver driver{lumiscene::programFrameHost()};
  runUntil(driver, 10);
  driver.insetMode = 1;
  runUntil(driver, 20);  // the inset starts here
  skipTo(driver, 1020);  // 1000 ms into the inset
  const auto& blend = driver.scene2()->layers[0]->blend;
  EXPECT_NEAR(blend.weightR, 0.333, 1e-12);
  EXPECT_EQ(blend.weightG, blend.weightR);
  EXPECT_EQ(blend.weightB, 1.5 * blend.weightR);
}

TEST_F(FrameDriverTest, TheInsetMixesBothPicturesOnlyInsideItsRectangle) {
  const uint64_t at = 1700;  // 1590 ms into the inset: the plateau
  FrameDriver alone{lumiscene::programFrameHost()};
  runUntil(alone, 10);
  skipTo(alone, at);
  const Image sceneOne(*alone.frameImage);

  restartClock();
  FrameDriver withInset{lumiscene::programFrameHost()};
  runUntil(withInset, 10);
  withInset.insetMode = 1;
  skipTo(withInset, at);
  ASSERT_EQ(withInset.scene2()->layers[0]->blend.weightB, 0.75);

  lumiscene::WeightTable half, threeQuarters, quarter;
  half.build(0.5);
  threeQuarters.build(0.75);
  quarter.build(0.25);
  const auto channel = [](uint32_t p, int shift) { return (p >> shift) & 0xFF; };
  const auto clamp = [](int32_t v) { return std::clamp(v, 0, 255); };
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      const uint32_t d = *sceneOne.pixelAt(x, y);
      uint32_t expected = d;
      if (x >= 50 && x <= 589 && y >= 50 && y <= 429) {
        const uint32_t s = *withInset.preparedPicture2->pixelAt(x, y);
        const auto r = static_cast<uint32_t>(clamp(half[channel(s, 16)]) + clamp(half[channel(d, 16)]));
        const auto g = static_cast<uint32_t>(clamp(half[channel(s, 8)]) + clamp(half[channel(d, 8)]));
        const auto b = static_cast<uint32_t>(clamp(threeQuarters[channel(s, 0)]) + clamp(quarter[channel(d, 0)]));
        expected = r << 16 | g << 8 | b;
      }
      ASSERT_EQ(*withInset.frameImage->pixelAt(x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(FrameDriverTest, ShallowDisplaysGetNoisyPictures) {
  FrameDriver driver{lumiscene::programFrameHost()};
  depth = 16;
  driver.preparePictures(inputs());
  const Image noisy1(*driver.preparedPicture1);
  const Image noisy2(*driver.preparedPicture2);
  EXPECT_FALSE(scene_test::samePixels(noisy1, *picture1));
  EXPECT_FALSE(scene_test::samePixels(noisy2, *picture2));

  // The same depth again changes nothing; a deep one restores exact copies in place.
  const Image* kept = driver.preparedPicture1.get();
  driver.preparePictures(inputs());
  EXPECT_TRUE(scene_test::samePixels(*driver.preparedPicture1, noisy1));
  depth = 24;
  driver.preparePictures(inputs());
  EXPECT_EQ(driver.preparedPicture1.get(), kept);
  EXPECT_TRUE(scene_test::samePixels(*driver.preparedPicture1, *picture1));
  EXPECT_TRUE(scene_test::samePixels(*driver.preparedPicture2, *picture2));
  depth = 32;
  driver.preparePictures(inputs());
  EXPECT_EQ(driver.preparedDepth(), 32);
  EXPECT_TRUE(scene_test::samePixels(*driver.preparedPicture1, *picture1));

  // The noise restarts from seed 0, picture 2 first: depth 16 always looks the same.
  depth = 16;
  driver.preparePictures(inputs());
  EXPECT_TRUE(scene_test::samePixels(*driver.preparedPicture1, noisy1));
  Image second(*picture2);
  const uint32_t seed = second.addNoise(-5, 0);
  EXPECT_TRUE(scene_test::samePixels(*driver.preparedPicture2, second));
  Image first(*picture1);
  first.addNoise(-5, seed);
  EXPECT_TRUE(scene_test::samePixels(*driver.preparedPicture1, first));
}

}  // namespace

// A front end of its own: a counter for a clock, a sleep that only counts, a
// pointer it moves itself, pictures it owns. Nothing of the program or the
// headless backend is involved, and the frames are those of the program's set-up.
TEST_F(FrameDriverTest, AnyFrontEndDrivesItThroughItsHostAndInputs) {
  uint32_t clock = 0;
  std::vector<uint32_t> sleeps;
  lumiscene::CursorPosition pointer;
  lumiscene::FrameHost host;
  host.milliseconds = [&] { return clock; };
  host.sleep = [&](uint32_t ms) {
    sleeps.push_back(ms);
    clock += ms;
  };
  host.readPointer = [&](lumiscene::CursorPosition& position) {
    position = pointer;
    return true;
  };
  FrameDriver own(host);
  FrameDriver program{lumiscene::programFrameHost()};
  const auto both = [&](const lumiscene::FrameInputs& given) {
    own.preparePictures(given);
    own.advanceFrame(given);
    program.preparePictures(given);
    program.advanceFrame(given);
  };
  for (int frame = 0; frame < 5; ++frame) both(inputs());
  pointer = {7, 3};
  headless::setPointer(7, 3);
  both(inputs());
  lumiscene::FrameInputs idle = inputs();
  idle.active = false;
  both(idle);
  EXPECT_EQ(sleeps, (std::vector<uint32_t>{10, 10, 10, 10, 10, 10, 100}));
  EXPECT_EQ(own.scene1()->layers[0]->panorama->offsetX, 1266.0);
  EXPECT_EQ(own.lastCursor.x, 7);
  ASSERT_NE(own.frameImage, nullptr);
  EXPECT_TRUE(scene_test::samePixels(*own.frameImage, *program.frameImage));
}
