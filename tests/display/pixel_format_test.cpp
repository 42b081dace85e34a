// Pixel layouts and the conversion of frames into them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "cpu/instruction_set.h"
#include "display/pixel_format.h"
#include "pictures/random.h"

namespace lumiscene {
namespace {

struct Layout {
  const char* name;
  int32_t bits;
  uint32_t red, green, blue;
};

const Layout layouts[] = {
    {"565", 16, 0xF800, 0x07E0, 0x001F},
    {"555", 16, 0x7C00, 0x03E0, 0x001F},
    {"24", 24, 0xFF0000, 0x00FF00, 0x0000FF},
    {"24bgr", 24, 0x0000FF, 0x00FF00, 0xFF0000},
    {"32", 32, 0xFF0000, 0x00FF00, 0x0000FF},
    {"32bgr", 32, 0x0000FF, 0x00FF00, 0xFF0000},
    {"32high", 32, 0xFF000000, 0x00FF0000, 0x0000FF00},
    {"16zero", 16, 0, 0x07E0, 0x001F},
};

// What a converted pixel must hold, straight from the layout's channel rules.
uint32_t expectedValue(const PixelFormat& format, int32_t depth, uint32_t p) {
  if (format.isStandard()) {
    if (depth == 16) return ((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F);
    return p & 0xFFFFFF;
  }
  const uint32_t v = format.pack(p >> 16, (p >> 8) & 0xFF, p & 0xFF);
  return depth == 16 ? (v & 0xFFFF) : depth == 24 ? (v & 0xFFFFFF) : v;
}

uint32_t readValue(const uint8_t* at, int32_t depth) {
  uint32_t v = 0;
  std::memcpy(&v, at, static_cast<size_t>(depth / 8));
  return v;
}

TEST(PixelFormatTest, ChannelsFromMasks) {
  PixelFormat format;
  format.setMasks(16, 0x7C00, 0x03E0, 0x001F);
  EXPECT_EQ(format.red.bits, 5);
  EXPECT_EQ(format.red.shiftLeft, 10);
  EXPECT_EQ(format.red.shiftRight, 3);
  EXPECT_FALSE(format.isStandard());

  format.setMasks(8, 0, 0x00FF00, 0xFFFF0000u);
  EXPECT_EQ(format.bitsPerPixel, 16);
  EXPECT_EQ(format.red.bits, 1);
  EXPECT_EQ(format.red.shiftLeft, 0);
  EXPECT_EQ(format.red.shiftRight, 7);
  EXPECT_EQ(format.blue.bits, 8);  // sixteen mask bits keep at most eight
  EXPECT_EQ(format.blue.shiftLeft, 16);
  format.setMasks(64, 0xFF0000, 0xFF00, 0xFF);
  EXPECT_EQ(format.bitsPerPixel, 32);
}

TEST(PixelFormatTest, StandardLayouts) {
  PixelFormat format;
  format.setStandard(16);
  EXPECT_TRUE(format.isStandard());
  EXPECT_EQ(format.pack(0xFF, 0xFF, 0xFF), 0xFFFFu);
  format.setStandard(24);
  EXPECT_TRUE(format.isStandard());
  EXPECT_EQ(format.greenMask, 0x00FF00u);
  format.setStandard(12);
  EXPECT_EQ(format.bitsPerPixel, 16);
  format.setMasks(24, 0xF800, 0x07E0, 0x001F);
  EXPECT_FALSE(format.isStandard());  // 5-6-5 masks are standard only at 16 bits
}

TEST(PixelFormatTest, FiveSixFiveAndFiveFiveFiveValues) {
  PixelFormat format;
  format.setStandard(16);
  format.buildTables();
  uint8_t out[2 * 3];
  const uint32_t pixels[3] = {0x00FFFFFF, 0x00FF0000, 0};
  convertPixels(format, 16, pixels, 3, out, 6, 3, 1);
  EXPECT_EQ(readValue(out, 16), 0xFFFFu);
  EXPECT_EQ(readValue(out + 2, 16), 0xF800u);
  EXPECT_EQ(readValue(out + 4, 16), 0u);

  format.setMasks(16, 0x7C00, 0x03E0, 0x001F);
  format.buildTables();
  convertPixels(format, 16, pixels, 3, out, 6, 1, 1);
  EXPECT_EQ(readValue(out, 16), 0x7FFFu);
}

TEST(PixelFormatTest, SwappedThirtyTwoBitsSwapsRedAndBlue) {
  PixelFormat format;
  format.setMasks(32, 0x0000FF, 0x00FF00, 0xFF0000);
  format.buildTables();
  const uint32_t pixel = 0x00123456;
  uint32_t out = 0;
  convertPixels(format, 32, &pixel, 1, reinterpret_cast<uint8_t*>(&out), 4, 1, 1);
  EXPECT_EQ(out, 0x00563412u);
  EXPECT_EQ(format.redTable[0x12] | format.greenBlueTable[0x3456], 0x00563412u);
}

// Every layout and depth in every instruction-set form the processor has,
// random pixels, odd widths (so the 4-, 8- and 16-pixel steps leave
// remainders), with a pitch wider than the row and with rows that follow
// each other without a gap on both sides.
TEST(PixelFormatTest, EveryPathMatchesTheChannelRules) {
  const cpu::Form active = cpu::activeForm();
  for (int32_t f = 0; f <= static_cast<int32_t>(cpu::supportedForm()); ++f) {
    cpu::useForm(static_cast<cpu::Form>(f));
    SCOPED_TRACE(cpu::formName(cpu::activeForm()));
    uint32_t seed = 99;
    for (const Layout& layout : layouts) {
      PixelFormat format;
      format.setMasks(layout.bits, layout.red, layout.green, layout.blue);
      format.buildTables();
      for (int32_t depth : {16, 24, 32}) {
        for (int32_t columns : {1, 3, 7, 8, 13, 16, 17, 31, 64, 640}) {
          for (const bool gapless : {false, true}) {
            const int32_t rows = 3, sourceWidth = gapless ? columns : columns + 5;
            const int32_t pitch = gapless ? columns * (depth / 8) : columns * 4 + 12;
            std::vector<uint32_t> source(static_cast<size_t>(sourceWidth) * rows);
            for (uint32_t& p : source) p = nextRandom(seed) & 0xFFFFFF;
            std::vector<uint8_t> out(static_cast<size_t>(pitch) * rows + 4, 0xAB);
            convertPixels(format, depth, source.data(), sourceWidth, out.data(), pitch, columns, rows);
            for (int32_t y = 0; y < rows; ++y) {
              for (int32_t x = 0; x < columns; ++x) {
                const uint32_t p = source[static_cast<size_t>(y) * sourceWidth + x];
                ASSERT_EQ(readValue(out.data() + y * pitch + x * (depth / 8), depth),
                          expectedValue(format, depth, p))
                    << layout.name << " depth " << depth << " columns " << columns << " x " << x;
              }
              // Nothing is written beyond the row's pixels.
              if (!gapless || y + 1 == rows) {
                ASSERT_EQ(out[y * pitch + columns * (depth / 8)], 0xAB) << layout.name << " depth " << depth;
              }
            }
          }
        }
      }
    }
  }
  cpu::useForm(active);
}

TEST(PixelFormatTest, OtherDepthsWriteNothing) {
  PixelFormat format;
  format.setStandard(32);
  format.buildTables();
  const uint32_t pixel = 0x00FFFFFF;
  uint32_t out = 0x11111111;
  convertPixels(format, 8, &pixel, 1, reinterpret_cast<uint8_t*>(&out), 4, 1, 1);
  EXPECT_EQ(out, 0x11111111u);
}

}  // namespace
}  // namespace lumiscene
