// The resampler and the fitting of user pictures to their roles, on small
// synthetic pictures whose right answers are known exactly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "pictures/picture_scaler.h"
#include "pictures/user_picture.h"
#include "scene/image.h"

namespace lumiscene {
namespace {

Image makePicture(int32_t width, int32_t height, const std::function<uint32_t(int32_t, int32_t)>& colour) {
  Image picture;
  picture.create(width, height, 0);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) *picture.pixelAt(x, y) = colour(x, y);
  return picture;
}

ScaleWindow whole(int32_t width, int32_t height) { return ScaleWindow{width, height, 0, 0, width, height}; }

void expectSolid(const Image& image, uint32_t colour) {
  ASSERT_NE(image.pixels, nullptr);
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x)
      ASSERT_EQ(*image.pixelAt(x, y), colour) << "at " << x << ", " << y;
}

TEST(PictureScalerTest, SolidColoursStaySolidAtEveryRatio) {
  const uint32_t colour = 0x00C83A07;
  const Image solid = makePicture(37, 23, [&](int32_t, int32_t) { return colour; });
  for (const auto& [w, h] : {std::pair{5, 3}, {36, 22}, {12, 40}, {100, 61}, {37, 23}, {1, 1}, {640, 1}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    expectSolid(*scalePicture(solid, whole(w, h)), colour);
  }
}

TEST(PictureScalerTest, HalvingACheckerboardGivesItsAverage) {
  const Image board =
      makePicture(8, 6, [](int32_t x, int32_t y) { return (x + y) % 2 ? 0x00FF8001u : 0x00000000u; });
  // Each 2 x 2 square holds two of each: (255 + 0) / 2 rounds to 128, (128 + 0) / 2 is 64, (1 + 0) / 2 rounds
  // to 1.
  expectSolid(*scalePicture(board, whole(4, 3)), 0x00804001u);
  // A 3 x 3 shrink of a board of 9 x 9 squares of distinct colours gives each square's colour.
  const Image squares =
      makePicture(9, 6, [](int32_t x, int32_t y) { return static_cast<uint32_t>(x / 3 * 40 + y / 3); });
  const auto small = scalePicture(squares, whole(3, 2));
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x) EXPECT_EQ(*small->pixelAt(x, y), static_cast<uint32_t>(x * 40 + y));
}

TEST(PictureScalerTest, AreaWeightsSplitPixelsAtUnevenRatios) {
  // Three pixels into two: each output covers one and a half; 0, 90, 180 gives
  // (0 + 45) / 1.5 = 30 and (45 + 180) / 1.5 = 150.
  const Image ramp = makePicture(3, 1, [](int32_t x, int32_t) { return static_cast<uint32_t>(90 * x); });
  const auto out = scalePicture(ramp, whole(2, 1));
  EXPECT_EQ(*out->pixelAt(0, 0), 30u);
  EXPECT_EQ(*out->pixelAt(1, 0), 150u);
}

TEST(PictureScalerTest, EnlargingIsSmoothAndKeepsTheEdges) {
  const Image pair = makePicture(2, 1, [](int32_t x, int32_t) { return x == 0 ? 0u : 200u; });
  const auto out = scalePicture(pair, whole(8, 3));
  // The outer quarter repeats the edge pixels, the middle rises evenly between them.
  const uint32_t expected[8] = {0, 0, 25, 75, 125, 175, 200, 200};
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(*out->pixelAt(x, y), expected[x]) << x << ", " << y;
}

TEST(PictureScalerTest, TheSameSizeIsCopiedAndCroppingKeepsTheWindow) {
  const Image noise = makePicture(
      21, 13, [](int32_t x, int32_t y) { return static_cast<uint32_t>(x * 7919 + y * 104729) & 0xFFFFFF; });
  const auto copy = scalePicture(noise, whole(21, 13));
  const auto window = scalePicture(noise, ScaleWindow{21, 13, 4, 3, 10, 7});
  for (int32_t y = 0; y < 13; ++y)
    for (int32_t x = 0; x < 21; ++x) ASSERT_EQ(*copy->pixelAt(x, y), *noise.pixelAt(x, y));
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 0; x < 10; ++x) ASSERT_EQ(*window->pixelAt(x, y), *noise.pixelAt(x + 4, y + 3));
}

TEST(PictureScalerTest, AWindowOfAShrunkPictureMatchesTheSameWindowOfTheWhole) {
  const Image noise = makePicture(50, 40, [](int32_t x, int32_t y) {
    return static_cast<uint32_t>(x * 2654435761u ^ y * 40503u) & 0xFFFFFF;
  });
  const auto all = scalePicture(noise, whole(30, 24));
  const auto part = scalePicture(noise, ScaleWindow{30, 24, 7, 5, 11, 9});
  for (int32_t y = 0; y < 9; ++y)
    for (int32_t x = 0; x < 11; ++x) ASSERT_EQ(*part->pixelAt(x, y), *all->pixelAt(x + 7, y + 5));
}

void expectWindow(const ScaleWindow& w, int32_t scaledWidth, int32_t scaledHeight, int32_t cropX,
                  int32_t cropY, int32_t width, int32_t height) {
  EXPECT_EQ(w.scaledWidth, scaledWidth);
  EXPECT_EQ(w.scaledHeight, scaledHeight);
  EXPECT_EQ(w.cropX, cropX);
  EXPECT_EQ(w.cropY, cropY);
  EXPECT_EQ(w.width, width);
  EXPECT_EQ(w.height, height);
}

TEST(PictureFitTest, ThePanoramaCoversTheFrameAndIsCroppedInTheMiddle) {
  expectWindow(fitPicture(PictureRole::panorama, 640, 480), 640, 480, 0, 0, 640, 480);
  expectWindow(fitPicture(PictureRole::panorama, 4000, 3000), 640, 480, 0, 0, 640, 480);
  expectWindow(fitPicture(PictureRole::panorama, 320, 240), 640, 480, 0, 0, 640, 480);
  // Wide: the height fits, the sides are cut equally.
  expectWindow(fitPicture(PictureRole::panorama, 2000, 500), 1920, 480, 640, 0, 640, 480);
  // Tall: the width fits, top and bottom are cut equally.
  expectWindow(fitPicture(PictureRole::panorama, 600, 900), 640, 960, 0, 240, 640, 480);
  // Square.
  expectWindow(fitPicture(PictureRole::panorama, 1000, 1000), 640, 640, 0, 80, 640, 480);
  // One pixel wide or high.
  expectWindow(fitPicture(PictureRole::panorama, 1, 8192), 640, 5242880, 0, 2621200, 640, 480);
  expectWindow(fitPicture(PictureRole::panorama, 8192, 1), 3932160, 480, 1965760, 0, 640, 480);
}

TEST(PictureFitTest, TheInsetShrinksToFitAndASmallerOneKeepsItsSize) {
  expectWindow(fitPicture(PictureRole::inset, 400, 300), 400, 300, 0, 0, 400, 300);
  expectWindow(fitPicture(PictureRole::inset, 540, 380), 540, 380, 0, 0, 540, 380);
  expectWindow(fitPicture(PictureRole::inset, 4000, 3000), 507, 380, 0, 0, 507, 380);
  expectWindow(fitPicture(PictureRole::inset, 1080, 200), 540, 100, 0, 0, 540, 100);
  expectWindow(fitPicture(PictureRole::inset, 1000, 1000), 380, 380, 0, 0, 380, 380);
  expectWindow(fitPicture(PictureRole::inset, 1, 8192), 1, 380, 0, 0, 1, 380);
  expectWindow(fitPicture(PictureRole::inset, 8192, 1), 540, 1, 0, 0, 540, 1);
  expectWindow(fitPicture(PictureRole::inset, 1, 1), 1, 1, 0, 0, 1, 1);
}

TEST(PictureFitTest, PlacedPicturesKeepTheirMiddleAndSitOnTheCanvas) {
  // A wide panorama with a marked middle: its two cut sides are black, the kept middle is its own.
  const Image wide = makePicture(1280, 480, [](int32_t x, int32_t) {
    return x < 320 || x >= 960 ? 0u : 0x00102030u + static_cast<uint32_t>(x - 320);
  });
  const auto panorama = placeUserPicture(wide, PictureRole::panorama);
  ASSERT_EQ(panorama->width, 640);
  ASSERT_EQ(panorama->height, 480);
  for (int32_t x = 0; x < 640; ++x)
    ASSERT_EQ(*panorama->pixelAt(x, 240), 0x00102030u + static_cast<uint32_t>(x));

  const Image tall = makePicture(10, 2000, [](int32_t, int32_t) { return 0x00FFFFFFu; });
  const auto inset = placeUserPicture(tall, PictureRole::inset);
  ASSERT_EQ(inset->width, userCanvasWidth);
  ASSERT_EQ(inset->height, userCanvasHeight);
  // 10 x 2000 fits as 2 x 380, centred: columns 319 and 320, rows 50 to 429.
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      const bool inside = (x == 319 || x == 320) && y >= 50 && y < 430;
      ASSERT_EQ(*inset->pixelAt(x, y), inside ? 0x00FFFFFFu : 0x00404020u) << x << ", " << y;
    }
  }
}

}  // namespace
}  // namespace lumiscene
