// A panorama whose window only its own layer copies whole into the frame
// scrolls straight into the frame; these hold that shortcut to the frames the
// window and its copy give.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/clock.h"
#include "platform/portable/headless/headless.h"
#include "scene/scene.h"
#include "test_images.h"

using lumiscene::Image;
using lumiscene::Layer;
using lumiscene::Scene;

namespace {

class PanoramaViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    headless::reset();
    lumiscene::calibrateClock();
    picture_ = scene_test::randomImage(64, 32, 41);
    scene_.picture = picture_.get();
    scene_.clock = lumiscene::millisecondsNow;
    auto panoramaLayer = std::make_unique<Layer>();
    panoramaLayer->hasPanorama = 1;
    panoramaLayer->setPlacement(0, 0, 63, 31);
    panoramaLayer->blend.setWeights(1.0, 1.0, 1.0);
    scene_.setLayer(std::move(panoramaLayer), 0);
  }

  void attach() {
    uint32_t seedCounter = 0;
    scene_.attach(seedCounter);
    scene_.setActive(1, 1);
  }

  // One pass after the pointer moved by dx (and the picture drifts by driftX per second).
  void panBy(int32_t dx, double driftX = 0.0) {
    headless::advanceClockMicroseconds(10'000);
    scene_.layers[0]->panorama->setMotion(driftX, 0.0, dx, 0);
    scene_.step();
  }

  // The part of the tiling at the panorama's offset, cut from the whole 3 x 3 tiling of the picture.
  Image expectedView() const {
    const lumiscene::Panorama& panorama = *scene_.layers[0]->panorama;
    Image tiles;
    tiles.create(3 * picture_->width, 3 * picture_->height, 0);
    tiles.tileMirrored(*picture_);
    Image view(*picture_);
    const auto x = static_cast<int32_t>(panorama.offsetX), y = static_cast<int32_t>(panorama.offsetY);
    view.blit(0, 0, tiles, x, y, x + view.width - 1, y + view.height - 1);
    return view;
  }

  std::unique_ptr<Image> picture_;
  Scene scene_{nullptr, nullptr};
};

TEST_F(PanoramaViewTest, TheFrameShowsTheViewWhereverItPans) {
  attach();
  for (int32_t dx : {0, -7, 13, 40, -90, 1}) {
    panBy(dx);
    EXPECT_TRUE(scene_test::samePixels(*scene_.frame, expectedView())) << "after a pan of " << dx;
    EXPECT_TRUE(scene_test::samePixels(scene_.layers[0]->panorama->view(), expectedView()));
  }
}

TEST_F(PanoramaViewTest, ALaterLayerReadingThePictureSeesTheCurrentView) {
  // A later layer copying part of the shared picture over the frame reads the window.
  auto corner = std::make_unique<Layer>();
  corner->setPlacement(0, 0, 9, 9);
  corner->blend.setWeights(1.0, 1.0, 1.0);
  scene_.setLayer(std::move(corner), 1);
  attach();
  for (int32_t dx : {-5, 11, -30}) {
    panBy(dx);
    EXPECT_TRUE(scene_test::samePixels(*scene_.frame, expectedView())) << "after a pan of " << dx;
  }
}

TEST_F(PanoramaViewTest, AnOffsetOutsideTheTilesKeepsTheLastView) {
  attach();
  panBy(-9);
  panBy(17);
  const Image before(*scene_.frame);
  // A NaN drift makes the offset unusable: the last view stays in the frame.
  panBy(0, std::numeric_limits<double>::quiet_NaN());
  ASSERT_TRUE(std::isnan(scene_.layers[0]->panorama->offsetX));
  EXPECT_TRUE(scene_test::samePixels(*scene_.frame, before));
}

}  // namespace
