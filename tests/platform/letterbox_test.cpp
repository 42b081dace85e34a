// The scaled present's geometry and pixels: where the frame lands on screens
// of every shape, how pointer and clicks map back through bars and edges, and
// what the scaler writes (and does not write).
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/portable/frame_scale.h"
#include "platform/portable/letterbox.h"

namespace {

using portable::fitFrame;
using portable::Letterbox;

struct Fit {
  int32_t screenWidth, screenHeight;
  int32_t x, y, width, height, factor;
};

TEST(Letterbox, FitsEveryScreenShapeKeepingFourToThree) {
  const Fit fits[] = {
      {640, 480, 0, 0, 640, 480, 1},        // the frame's own size
      {1024, 768, 0, 0, 1024, 768, 0},      // 4:3 under twice the size: filtered, no bars
      {1280, 720, 160, 0, 960, 720, 0},     // 16:9: bars left and right
      {800, 800, 0, 100, 800, 600, 0},      // square: bars above and below
      {1280, 960, 0, 0, 1280, 960, 2},      // exactly twice
      {1920, 1080, 320, 60, 1280, 960, 2},  // at least twice: whole factor, wider bars
      {2560, 1440, 320, 0, 1920, 1440, 3}, {1366, 768, 171, 0, 1024, 768, 0},
  };
  for (const Fit& fit : fits) {
    const Letterbox box = fitFrame(fit.screenWidth, fit.screenHeight, 640, 480);
    SCOPED_TRACE(testing::Message() << fit.screenWidth << "x" << fit.screenHeight);
    EXPECT_EQ(box.x, fit.x);
    EXPECT_EQ(box.y, fit.y);
    EXPECT_EQ(box.width, fit.width);
    EXPECT_EQ(box.height, fit.height);
    EXPECT_EQ(box.factor, fit.factor);
    EXPECT_LE(box.x + box.width, fit.screenWidth);
    EXPECT_LE(box.y + box.height, fit.screenHeight);
  }
}

TEST(Letterbox, DegenerateSizesStayInsideTheTarget) {
  for (const auto& size : {std::pair{0, 0}, std::pair{1, 1}, std::pair{-5, 300}, std::pair{639, 1}}) {
    const Letterbox box = fitFrame(size.first, size.second, 640, 480);
    EXPECT_GE(box.width, 1);
    EXPECT_GE(box.height, 1);
    EXPECT_GE(box.x, 0);
    EXPECT_GE(box.y, 0);
  }
}

TEST(Letterbox, ClicksMapToThePictureUnderThemAndBarsToTheNearestEdge) {
  const Letterbox box = fitFrame(1280, 720, 640, 480);  // 960 x 720 at x = 160
  int32_t x = -1, y = -1;
  portable::targetToFrame(box, 160, 0, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  portable::targetToFrame(box, 160 + 959, 719, x, y);
  EXPECT_EQ(x, 639);
  EXPECT_EQ(y, 479);
  portable::targetToFrame(box, 640, 360, x, y);
  EXPECT_EQ(x, 320);
  EXPECT_EQ(y, 240);
  // The bars and anything beyond the screen.
  portable::targetToFrame(box, 0, 719, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 479);
  portable::targetToFrame(box, 1279, -40, x, y);
  EXPECT_EQ(x, 639);
  EXPECT_EQ(y, 0);
  portable::targetToFrame(box, 159, 100, x, y);
  EXPECT_EQ(x, 0);
  portable::targetToFrame(box, 1120, 100, x, y);
  EXPECT_EQ(x, 639);
}

TEST(Letterbox, WholeFactorsMapEachSquareToItsPixel) {
  const Letterbox box = fitFrame(1920, 1080, 640, 480);  // factor 2 at 320, 60
  int32_t x = -1, y = -1;
  portable::targetToFrame(box, 320 + 2 * 17 + 1, 60 + 2 * 33 + 1, x, y);
  EXPECT_EQ(x, 17);
  EXPECT_EQ(y, 33);
  portable::targetToFrame(box, 320 + 1279, 60 + 959, x, y);
  EXPECT_EQ(x, 639);
  EXPECT_EQ(y, 479);
}

TEST(Letterbox, PointerPansOneUnitPerScreenPixelAndWarpsComeBackOnScreen) {
  const Letterbox box = fitFrame(1280, 720, 640, 480);
  int32_t first = 0, second = 0, y = 0;
  portable::targetToPointer(box, 700, 300, first, y);
  portable::targetToPointer(box, 701, 300, second, y);
  EXPECT_EQ(second - first, 1);
  // Read back where it was put, as the program does after placing the pointer.
  int32_t screenX = 0, screenY = 0, backX = 0, backY = 0;
  portable::pointerToTarget(box, 1280, 720, 580, 460, screenX, screenY);
  portable::targetToPointer(box, screenX, screenY, backX, backY);
  EXPECT_EQ(backX, 580);
  EXPECT_EQ(backY, 460);
  // A place off the screen is brought to its edge.
  portable::pointerToTarget(box, 1280, 720, 5000, -5000, screenX, screenY);
  EXPECT_EQ(screenX, 1279);
  EXPECT_EQ(screenY, 0);
}

// A frame with a distinct value in every pixel.
std::vector<uint32_t> numberedFrame(int32_t width, int32_t height) {
  std::vector<uint32_t> frame(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint32_t>((i * 2654435761u) & 0xFFFFFF);
  return frame;
}

constexpr uint32_t kGuard = 0xDEADBEEF;

TEST(FrameScale, WholeFactorRepeatsEveryPixelAndBarsAreBlack) {
  const std::vector<uint32_t> frame = numberedFrame(64, 48);
  const Letterbox box = fitFrame(200, 110, 64, 48);  // factor 2: 128 x 96 at 36, 7
  ASSERT_EQ(box.factor, 2);
  // The pitch is wider than the target: what lies beyond must stay untouched.
  const int32_t pitch = 210;
  std::vector<uint32_t> target(static_cast<size_t>(pitch) * 110, kGuard);
  portable::scaleFrame(frame.data(), box, target.data(), 200, 110, pitch);
  for (int32_t y = 0; y < 110; ++y)
    for (int32_t x = 0; x < pitch; ++x) {
      const uint32_t got = target[static_cast<size_t>(y) * pitch + x];
      if (x >= 200) {
        ASSERT_EQ(got, kGuard) << x << "," << y;
      } else if (x < box.x || x >= box.x + box.width || y < box.y || y >= box.y + box.height) {
        ASSERT_EQ(got, 0u) << x << "," << y;
      } else {
        ASSERT_EQ(got, frame[static_cast<size_t>((y - box.y) / 2) * 64 + (x - box.x) / 2]) << x << "," << y;
      }
    }
}

TEST(FrameScale, FactorOneIsAnExactCopy) {
  const std::vector<uint32_t> frame = numberedFrame(64, 48);
  std::vector<uint32_t> target(64 * 48, kGuard);
  portable::scaleFrame(frame.data(), portable::wholeFactor(64, 48, 1), target.data(), 64, 48, 64);
  EXPECT_EQ(target, frame);
}

TEST(FrameScale, FilteringKeepsFlatColoursAndCornersAndBlendsBetween) {
  // Left half one colour, right half another: flat areas stay exact, the seam gets in-between values.
  std::vector<uint32_t> frame(64 * 48);
  for (int32_t y = 0; y < 48; ++y)
    for (int32_t x = 0; x < 64; ++x) frame[static_cast<size_t>(y) * 64 + x] = x < 32 ? 0x10E040 : 0xF02080;
  const Letterbox box = fitFrame(100, 75, 64, 48);
  ASSERT_EQ(box.factor, 0);
  std::vector<uint32_t> target(100 * 75, kGuard);
  portable::scaleFrame(frame.data(), box, target.data(), 100, 75, 100);
  bool blended = false;
  for (int32_t y = 0; y < 75; ++y) {
    EXPECT_EQ(target[static_cast<size_t>(y) * 100], 0x10E040u);
    EXPECT_EQ(target[static_cast<size_t>(y) * 100 + 99], 0xF02080u);
    for (int32_t x = 0; x < 100; ++x) {
      const uint32_t pixel = target[static_cast<size_t>(y) * 100 + x];
      ASSERT_EQ(pixel >> 24, 0u);
      // Each channel stays between the two colours' values.
      for (int shift : {0, 8, 16}) {
        const uint32_t channel = (pixel >> shift) & 0xFF;
        const uint32_t a = (0x10E040u >> shift) & 0xFF, b = (0xF02080u >> shift) & 0xFF;
        ASSERT_GE(channel, std::min(a, b));
        ASSERT_LE(channel, std::max(a, b));
      }
      blended = blended || (pixel != 0x10E040u && pixel != 0xF02080u);
    }
  }
  EXPECT_TRUE(blended);
}

TEST(FrameScale, ABoxTheTargetCannotHoldIsRefittedNotOverrun) {
  const std::vector<uint32_t> frame = numberedFrame(64, 48);
  // Made for a window twice the frame's size; the window manager gave less.
  const Letterbox box = portable::wholeFactor(64, 48, 2);
  const int32_t pitch = 100;
  std::vector<uint32_t> target(static_cast<size_t>(pitch) * 80 + 64, kGuard);
  portable::scaleFrame(frame.data(), box, target.data(), 90, 70, pitch);
  for (int32_t y = 0; y < 70; ++y)
    for (int32_t x = 90; x < pitch; ++x) ASSERT_EQ(target[static_cast<size_t>(y) * pitch + x], kGuard);
  for (size_t i = static_cast<size_t>(pitch) * 70; i < target.size(); ++i) ASSERT_EQ(target[i], kGuard);
}

// Full-screen on a desktop without a GPU draws every frame through the
// filter's SSE2 rows: they must give the plain rows' words at every size, with
// odd widths (remainders after four pixels), the last column's clamped
// neighbour, and bits above the colour in the frame.
TEST(FrameScale, TheFastRowsGiveThePlainRowsWords) {
  struct Case {
    int32_t frameWidth, frameHeight, targetWidth, targetHeight;
  };
  uint32_t seed = 11;
  for (const Case c : {Case{640, 480, 1024, 768}, Case{640, 480, 1366, 768}, Case{640, 480, 800, 600},
                       Case{640, 480, 1000, 500}, Case{640, 480, 333, 251}, Case{65, 47, 200, 150},
                       Case{7, 5, 30, 17}, Case{1, 1, 9, 7}}) {
    std::vector<uint32_t> frame(static_cast<size_t>(c.frameWidth) * c.frameHeight);
    for (uint32_t& p : frame) p = seed = seed * 1664525u + 1013904223u;
    const Letterbox box = fitFrame(c.targetWidth, c.targetHeight, c.frameWidth, c.frameHeight);
    const int32_t pitch = c.targetWidth + 3;
    std::vector<uint32_t> fast(static_cast<size_t>(pitch) * c.targetHeight, kGuard);
    std::vector<uint32_t> plain = fast;
    portable::scaleFrame(frame.data(), box, fast.data(), c.targetWidth, c.targetHeight, pitch);
    portable::scaleFramePlain(frame.data(), box, plain.data(), c.targetWidth, c.targetHeight, pitch);
    EXPECT_EQ(fast, plain) << c.frameWidth << "x" << c.frameHeight << " to " << c.targetWidth << "x"
                           << c.targetHeight << " (factor " << box.factor << ")";
  }
}

}  // namespace
