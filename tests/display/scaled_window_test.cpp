// Where the scaled display puts the frame in a window of any shape.
#include <gtest/gtest.h>

#include "display/display_device.h"

namespace lumiscene {
namespace {

void expectRect(const RECT& rect, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.right, right);
  EXPECT_EQ(rect.bottom, bottom);
}

TEST(LetterboxRect, KeepsTheFramesShapeCentredWithBarsOnTheLongSides) {
  // Wider than 4 : 3: bars left and right.
  expectRect(letterboxRect(RECT{0, 0, 400, 240}, 640, 480), 40, 0, 360, 240);
  // Taller: bars above and below.
  expectRect(letterboxRect(RECT{0, 0, 1280, 1024}, 640, 480), 0, 32, 1280, 992);
  // The same shape fills it; the area's offset on the screen is kept.
  expectRect(letterboxRect(RECT{100, 50, 1124, 818}, 640, 480), 100, 50, 1124, 818);
  // Sizes round down, never past the area; an odd leftover puts the spare
  // column on the far side.
  expectRect(letterboxRect(RECT{10, 20, 160, 120}, 640, 480), 18, 20, 151, 120);
}

TEST(LetterboxRect, AnEmptyAreaOrFrameGivesTheAreaBack) {
  expectRect(letterboxRect(RECT{5, 5, 5, 100}, 640, 480), 5, 5, 5, 100);
  expectRect(letterboxRect(RECT{0, 0, 300, 200}, 0, 480), 0, 0, 300, 200);
  expectRect(letterboxRect(RECT{0, 0, -30, 200}, 640, 480), 0, 0, -30, 200);
}

}  // namespace
}  // namespace lumiscene
