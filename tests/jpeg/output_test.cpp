// Output: colour tables and conversion rules, the layouts' row geometry and buffers,
// pixel packing, and the picture entry's all-or-nothing behaviour.
#include <gtest/gtest.h>

#include <random>

#include "tests/jpeg/jpeg_test_support.h"

namespace lumiscene {
namespace {

struct Opened {
  Bytes bytes;
  MemorySource source;
  JpegDecoder decoder;
  explicit Opened(Bytes b) : bytes(std::move(b)), source(bytes.data(), static_cast<int32_t>(bytes.size())) {
    decoder.open(&source, true);
  }
};

// A colour frame header (no scan needed for output geometry).
Bytes colourFrame(int width, int height, int lumaH, int lumaV) {
  JpegWriter w;
  w.soi().dqt(0).dht8(0x00, kDcSymbols).dht8(0x10, kAcSymbols);
  w.sof(0xC0, width, height, {{1, lumaH, lumaV, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}});
  w.sos({{1, 0x00}, {2, 0x00}, {3, 0x00}});
  int blocks = ((width + 8 * lumaH - 1) / (8 * lumaH)) * ((height + 8 * lumaV - 1) / (8 * lumaV));
  for (int m = 0; m < blocks; ++m) {
    for (int b = 0; b < lumaH * lumaV; ++b) writeBlock(w, 0, 0);
    writeBlock(w, 0, 0);
    writeBlock(w, 0, 0);
  }
  return w.flush().eoi().bytes;
}

TEST(JpegOutput, ColourTablesAndConversion) {
  auto o = std::make_unique<Opened>(colourFrame(8, 8, 1, 1));
  JpegDecoder& d = o->decoder;
  ASSERT_EQ(d.startDecompress(), 0);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(d.crToR[i], (91882 * (i - 128) + 32768) >> 16);
    ASSERT_EQ(d.cbToB[i], (116130 * (i - 128) + 32768) >> 16);
    ASSERT_EQ(d.crToG[i], -46802 * (i - 128));
    ASSERT_EQ(d.cbToG[i], -22554 * (i - 128) + 32768);
  }
  EXPECT_EQ(d.crToR[0], -179);
  EXPECT_EQ(d.crToR[255], 178);
  EXPECT_EQ(d.cbToB[0], -227);
  EXPECT_EQ(d.cbToB[255], 225);
  // Green rounding: y 100, cb 0, cr 128 gives 100 + 44.
  EXPECT_EQ(100 + ((d.cbToG[0] + d.crToG[128]) >> 16), 144);
  // A block of all-zero coefficients is mid grey: y = cb = cr = 128 -> 128, 128, 128.
  uint8_t* row;
  int32_t bytes;
  ASSERT_EQ(d.readRow(&row, &bytes), 0);
  EXPECT_EQ(bytes, 32);
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(row[4 * x], 128);
    EXPECT_EQ(row[4 * x + 1], 128);
    EXPECT_EQ(row[4 * x + 2], 128);
    EXPECT_EQ(row[4 * x + 3], 0);
  }
}

TEST(JpegOutput, LayoutGeometry) {
  struct Case {
    int h, v, layout, blocks, mcuWidth, mcuHeight;
  };
  for (Case c :
       {Case{1, 1, 1, 3, 8, 8}, Case{2, 1, 2, 4, 16, 8}, Case{1, 2, 3, 4, 8, 16}, Case{2, 2, 4, 6, 16, 16}}) {
    auto o = std::make_unique<Opened>(colourFrame(17, 9, c.h, c.v));
    JpegDecoder& d = o->decoder;
    ASSERT_EQ(d.startDecompress(), 0);
    EXPECT_EQ(d.outputLayout, c.layout);
    EXPECT_EQ(d.blocksPerMcu, c.blocks);
    EXPECT_EQ(d.mcuWidth, c.mcuWidth);
    EXPECT_EQ(d.mcuHeight, c.mcuHeight);
    EXPECT_EQ(d.mcusPerRow, (17 + c.mcuWidth - 1) / c.mcuWidth);
    EXPECT_EQ(d.rowBufferBytes, 32 * 4);
    EXPECT_EQ(d.rowBytes, 17 * 4);
    EXPECT_EQ(d.bytesPerPixel, 4);
    // Nine rows, the last one possibly the upper row of a pair.
    uint8_t* row;
    int32_t bytes;
    for (int y = 0; y < 9; ++y) ASSERT_EQ(d.readRow(&row, &bytes), 0) << y;
    EXPECT_EQ(d.readRow(&row, &bytes), 1);
  }
  auto grey = std::make_unique<Opened>(craftedGrey(17, 3, [](JpegWriter& w) {
    for (int i = 0; i < 3; ++i) writeBlock(w, 0, 0);
  }));
  ASSERT_EQ(grey->decoder.startDecompress(), 0);
  EXPECT_EQ(grey->decoder.outputLayout, 0);
  EXPECT_EQ(grey->decoder.bytesPerPixel, 1);
  EXPECT_EQ(grey->decoder.rowBufferBytes, 32);
}

TEST(JpegOutput, TwoRowLayoutsHandOutTheLowerRowFromTheSecondBuffer) {
  auto o = std::make_unique<Opened>(colourFrame(16, 16, 2, 2));
  JpegDecoder& d = o->decoder;
  ASSERT_EQ(d.startDecompress(), 0);
  uint8_t* upper;
  uint8_t* lower;
  int32_t bytes;
  ASSERT_EQ(d.readRow(&upper, &bytes), 0);
  ASSERT_EQ(d.readRow(&lower, &bytes), 0);
  EXPECT_EQ(upper, d.rowBuffer0);
  EXPECT_EQ(lower, d.rowBuffer1);
}

TEST(JpegOutput, PixelPacking) {
  const uint8_t colour[8] = {0x11, 0x22, 0x33, 0x99, 0xAA, 0xBB, 0xCC, 0x77};
  uint32_t out[2];
  packRow(colour, 2, 4, 3, out);
  EXPECT_EQ(out[0], 0x00112233u);
  EXPECT_EQ(out[1], 0x00AABBCCu);
  const uint8_t grey[3] = {0, 0x80, 0xFF};
  uint32_t g[3];
  packRow(grey, 3, 1, 1, g);
  EXPECT_EQ(g[0], 0u);
  EXPECT_EQ(g[1], 0x00808080u);
  EXPECT_EQ(g[2], 0x00FFFFFFu);
}

TEST(JpegOutput, PictureEntryDecodesOrStaysEmpty) {
  Bytes onePixel = craftedGrey(1, 1, [](JpegWriter& w) { writeBlock(w, 2, 3); });
  DecodedPicture picture;
  EXPECT_TRUE(picture.useMmx);
  ASSERT_TRUE(picture.decode(onePixel.data(), static_cast<int32_t>(onePixel.size())));
  EXPECT_EQ(picture.width, 1);
  EXPECT_EQ(picture.height, 1);
  uint32_t p = picture.pixels[0];
  EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
  EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF);
  EXPECT_EQ(p >> 24, 0u);

  // A second decode replaces the first; a failing one leaves the object empty.
  Bytes colour = colourFrame(24, 16, 2, 1);
  ASSERT_TRUE(picture.decode(colour.data(), static_cast<int32_t>(colour.size())));
  EXPECT_EQ(picture.width, 24);
  Bytes broken = colour;
  broken.resize(40);
  EXPECT_FALSE(picture.decode(broken.data(), static_cast<int32_t>(broken.size())));
  EXPECT_EQ(picture.pixels, nullptr);
  EXPECT_EQ(picture.width, 0);
  EXPECT_EQ(picture.height, 0);

  JpegWriter two;
  two.soi().dqt(0).sof(0xC0, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}});
  EXPECT_FALSE(picture.decode(two.bytes.data(), static_cast<int32_t>(two.bytes.size())));
  static const uint8_t none[1] = {0};
  EXPECT_FALSE(picture.decode(none, 0));
}

TEST(JpegOutput, DamagedFixturesFailCleanlyOrDecodeOnBothPaths) {
  // Random damage anywhere in real files: decoding must stay inside its buffers (the
  // sanitizer build checks that) and both paths must agree on success or failure.
  std::mt19937 rng(21);
  for (const char* name : {"p420_q75_64x48_deep.jpg", "b422_q75_17x9.jpg", "p444_q75_40x24_separate.jpg",
                           "bgrey_q75_64x48_opt.jpg", "p420_q75_48x32_rst1deep.jpg"}) {
    Bytes bytes = readFixture(name);
    ASSERT_FALSE(bytes.empty()) << name;
    for (int trial = 0; trial < 60; ++trial) {
      Bytes damaged = bytes;
      int flips = 1 + static_cast<int>(rng() % 6);
      for (int f = 0; f < flips; ++f) damaged[rng() % damaged.size()] = static_cast<uint8_t>(rng());
      if (trial % 7 == 6) damaged.resize(rng() % damaged.size());
      DecodedPicture a(false), b(true);
      bool okA = a.decode(damaged.data(), static_cast<int32_t>(damaged.size()));
      bool okB = b.decode(damaged.data(), static_cast<int32_t>(damaged.size()));
      EXPECT_EQ(okA, okB) << name << " trial " << trial;
    }
  }
}

}  // namespace
}  // namespace lumiscene
