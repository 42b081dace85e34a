#include "scene/image.h"

#include <gtest/gtest.h>

#include <vector>

#include "pictures/random.h"
#include "scene/pixel_rows.h"
#include "test_images.h"

using lumiscene::Image;
using scene_test::randomImage;

namespace {

TEST(Image, CreateCutsTheColourAndCopiesKeepTheSize) {
  Image image;
  image.create(2, 2, 0xFF404020);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(image.pixels[i], 0x00404020u);

  Image copy(image);
  EXPECT_EQ(copy.width, 2);
  EXPECT_EQ(copy.height, 2);
  EXPECT_EQ(copy.pixels[3], 0x00404020u);

  image.release();
  EXPECT_EQ(image.pixels, nullptr);
  Image empty(image);
  EXPECT_EQ(empty.width, 0);
  EXPECT_EQ(empty.pixels, nullptr);
}

TEST(Image, CopyPixelsOnlyBetweenImagesOfOneSize) {
  auto target = randomImage(4, 3, 1);
  const Image before(*target);
  target->copyPixels(*randomImage(3, 4, 2));
  target->copyPixels(*target);
  EXPECT_TRUE(scene_test::samePixels(*target, before));

  const auto other = randomImage(4, 3, 3);
  target->copyPixels(*other);
  EXPECT_TRUE(scene_test::samePixels(*target, *other));

  std::vector<uint32_t> buffer(12, 0x123456);
  EXPECT_EQ(target->loadPixels(buffer.data()), 12);
  EXPECT_EQ(target->pixels[11], 0x123456u);
}

TEST(Image, BlitCopiesRowsAndNothingForAnEmptyRectangle) {
  auto target = randomImage(8, 8, 4);
  const Image before(*target);
  const auto source = randomImage(5, 5, 5);
  target->blit(0, 0, *source, 0, 3, 4, 2);
  target->blit(0, 0, *source, 3, 0, 2, 4);
  EXPECT_TRUE(scene_test::samePixels(*target, before));

  target->blit(6, 1, *source, 1, 2, 2, 4);
  Image expected(before);
  scene_test::referenceBlit(expected, 6, 1, *source, 1, 2, 2, 4);
  EXPECT_TRUE(scene_test::samePixels(*target, expected));
}

TEST(Image, BlendHalfRoundsAfterTheDestination) {
  Image d, s;
  d.create(3, 1, 0);
  s.create(3, 1, 0);
  s.pixels[0] = 0x000003;  // over 0
  d.pixels[1] = 0x000003;  // 0 over it
  s.pixels[2] = 0xFFFFFF;
  d.pixels[2] = 0xFFFFFF;
  d.blendHalf(0, 0, s, 0, 0, 2, 0);
  EXPECT_EQ(d.pixels[0], 0x000001u);
  EXPECT_EQ(d.pixels[1], 0x000002u);
  EXPECT_EQ(d.pixels[2], 0xFFFFFFu);
}

// The optimised row kernels against the plain per-pixel forms, on random
// rectangles of every small width (the 4-wide rows take the vector path).
TEST(Image, BlitAndBlendHalfMatchThePlainFormsOnRandomRectangles) {
  uint64_t random = 99;
  const auto source = randomImage(37, 29, 6);
  for (int trial = 0; trial < 400; ++trial) {
    const int32_t w = 1 + static_cast<int32_t>(scene_test::nextTestRandom(random) % 12);
    const int32_t h = 1 + static_cast<int32_t>(scene_test::nextTestRandom(random) % 9);
    const int32_t sx = static_cast<int32_t>(scene_test::nextTestRandom(random) % (37 - w + 1));
    const int32_t sy = static_cast<int32_t>(scene_test::nextTestRandom(random) % (29 - h + 1));
    const int32_t dx = static_cast<int32_t>(scene_test::nextTestRandom(random) % (23 - w + 1));
    const int32_t dy = static_cast<int32_t>(scene_test::nextTestRandom(random) % (19 - h + 1));
    auto target = randomImage(23, 19, 1000 + trial);
    Image expected(*target);
    if (trial % 2 == 0) {
      target->blendHalf(dx, dy, *source, sx, sy, sx + w - 1, sy + h - 1);
      scene_test::referenceBlendHalf(expected, dx, dy, *source, sx, sy, sx + w - 1, sy + h - 1);
    } else {
      target->blit(dx, dy, *source, sx, sy, sx + w - 1, sy + h - 1);
      scene_test::referenceBlit(expected, dx, dy, *source, sx, sy, sx + w - 1, sy + h - 1);
    }
    ASSERT_TRUE(scene_test::samePixels(*target, expected)) << "trial " << trial;
  }
}

#if defined(LUMISCENE_HAS_SSE2_ROWS)
// The fused block kernel against the plain sequence of row moves, for every
// block width and jitter the shimmer and its clipped edge blocks can have.
TEST(Image, VectorAndPortableBlockDisplaceAgree) {
  namespace rows = lumiscene::pixel_rows;
  const auto picture = randomImage(32, 40, 16);
  int cases = 0;
  for (int32_t width = 1; width <= 4; ++width) {
    for (int32_t height : {1, 3, 8, 16}) {
      for (int32_t jy = -2; jy <= 2; ++jy) {
        for (int32_t jx = -5; jx <= 5; ++jx) {
          for (int32_t flags = 0; flags < 8; ++flags) {
            auto vectorResult = randomImage(32, 40, static_cast<uint64_t>(17 + cases));
            Image portableResult(*vectorResult);
            const bool half = flags & 1, swap = flags & 2, snapshot = flags & 4;
            const int64_t at = 12 + 10 * 32;
            const uint32_t* source = snapshot ? nullptr : picture->pixels.get() + 3;
            rows::sse2::displaceBlock(vectorResult->pixels.get() + at, 32, jx, jy, width, height, source, 32, half,
                                      swap);
            rows::portable::displaceBlock(portableResult.pixels.get() + at, 32, jx, jy, width, height, source, 32,
                                          half, swap);
            ASSERT_TRUE(scene_test::samePixels(*vectorResult, portableResult))
                << width << "x" << height << " jitter " << jx << "," << jy << " flags " << flags;
            ++cases;
          }
        }
      }
    }
  }
}
#endif

#if defined(LUMISCENE_HAS_SSE2_ROWS)
// Every length, so that whole registers, a rest and rows shorter than one
// register all occur; the pixels beyond the row stay untouched.
TEST(Image, VectorAndPortableRowCopiesAgree) {
  namespace rows = lumiscene::pixel_rows;
  const auto source = randomImage(71, 1, 23);
  for (int32_t count = 0; count <= 71; ++count) {
    const uint32_t* from = source->pixels.get() + 71 - count;
    std::vector<uint32_t> vectorRow(73, 0xABCDEF), portableRow(73, 0xABCDEF);
    rows::sse2::reverseRow(vectorRow.data() + 1, from, count);
    rows::portable::reverseRow(portableRow.data() + 1, from, count);
    ASSERT_EQ(vectorRow, portableRow) << "reversed " << count;
    for (int32_t j = 0; j < count; ++j) ASSERT_EQ(portableRow[1 + j], from[count - 1 - j]) << count;
    vectorRow.assign(73, 0xABCDEF);
    portableRow.assign(73, 0xABCDEF);
    rows::sse2::copyRow(vectorRow.data() + 1, from, count);
    rows::portable::copyRow(portableRow.data() + 1, from, count);
    ASSERT_EQ(vectorRow, portableRow) << "copied " << count;
    for (int32_t j = 0; j < count; ++j) ASSERT_EQ(portableRow[1 + j], from[j]) << count;
  }
}
#endif

TEST(Image, BlendHalfWithinOneImageReadsWhatItHasWritten) {
  auto image = randomImage(9, 2, 10);
  Image expected(*image);
  image->blendHalf(1, 0, *image, 0, 0, 7, 1);
  scene_test::referenceBlendHalf(expected, 1, 0, expected, 0, 0, 7, 1);
  EXPECT_TRUE(scene_test::samePixels(*image, expected));
}

TEST(Image, BlitClippedCutsBothRectangles) {
  const auto source = randomImage(20, 20, 11);
  Image target;
  target.create(10, 10, 0);
  target.blitClipped(-5, -5, *source, 2, 3, 11, 12);
  Image expected;
  expected.create(10, 10, 0);
  scene_test::referenceBlit(expected, 0, 0, *source, 7, 8, 11, 12);
  EXPECT_TRUE(scene_test::samePixels(target, expected));

  // A source rectangle hanging over the source's right and bottom edges, and a
  // destination hanging over the target's.
  target.fill(0);
  target.blitClipped(6, 7, *source, 15, 16, 24, 25);
  expected.fill(0);
  scene_test::referenceBlit(expected, 6, 7, *source, 15, 16, 18, 18);
  EXPECT_TRUE(scene_test::samePixels(target, expected));

  target.fill(0);
  target.blitClipped(10, 0, *source, 0, 0, 5, 5);
  target.blitClipped(0, 0, *source, 5, 0, 4, 5);
  target.blitClipped(-30, 0, *source, 0, 0, 19, 19);
  expected.fill(0);
  EXPECT_TRUE(scene_test::samePixels(target, expected));
}

TEST(Image, PlaceCentredCentresOrCropsEqually) {
  const auto small = randomImage(100, 50, 12);
  Image frame;
  frame.create(640, 480, 0x404020);
  frame.placeCentred(*small);
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      const bool inside = x >= 270 && x <= 369 && y >= 215 && y <= 264;
      const uint32_t expected = inside ? *small->pixelAt(x - 270, y - 215) : 0x404020u;
      ASSERT_EQ(*frame.pixelAt(x, y), expected) << x << "," << y;
    }
  }

  const auto large = randomImage(800, 600, 13);
  frame.placeCentred(*large);
  EXPECT_EQ(*frame.pixelAt(0, 0), *large->pixelAt(80, 60));
  EXPECT_EQ(*frame.pixelAt(639, 479), *large->pixelAt(719, 539));
}

TEST(Image, TileMirroredAlternatesMirroredTiles) {
  Image source;
  source.create(2, 2, 0);
  const uint32_t A = 1, B = 2, C = 3, D = 4;
  source.pixels[0] = A;
  source.pixels[1] = B;
  source.pixels[2] = C;
  source.pixels[3] = D;
  Image tiles;
  tiles.create(6, 4, 0);
  tiles.tileMirrored(source);
  const std::vector<uint32_t> expected = {A, B, B, A, A, B, C, D, D, C, C, D,
                                          C, D, D, C, C, D, A, B, B, A, A, B};
  EXPECT_EQ(std::vector<uint32_t>(tiles.pixels.get(), tiles.pixels.get() + 24), expected);

  // Partial tiles take the first pixels (reversed in a mirrored tile) and the first rows.
  Image partial;
  partial.create(5, 3, 0);
  const auto wide = randomImage(3, 2, 14);
  partial.tileMirrored(*wide);
  EXPECT_EQ(*partial.pixelAt(3, 0), *wide->pixelAt(1, 0));
  EXPECT_EQ(*partial.pixelAt(4, 0), *wide->pixelAt(0, 0));
  EXPECT_EQ(*partial.pixelAt(0, 2), *wide->pixelAt(0, 1));
}

TEST(Image, AddNoiseOffsetsAllChannelsAlikeWithinTheLevelsRange) {
  auto image = randomImage(64, 64, 15);
  const Image before(*image);
  EXPECT_EQ(image->addNoise(-8, 7), 7u);
  EXPECT_TRUE(scene_test::samePixels(*image, before));

  // Mid-grey pixels show the raw offset; it must follow the generator exactly.
  Image grey;
  grey.create(50, 40, 0x808080);
  const uint32_t end = grey.addNoise(-5, 0);
  uint32_t state = 0;
  for (int i = 0; i < 2000; ++i) {
    const int32_t n = static_cast<int32_t>(lumiscene::nextRandom8(state) >> 5) - 3;
    const uint32_t c = static_cast<uint32_t>(0x80 + n);
    ASSERT_EQ(grey.pixels[i], c << 16 | c << 8 | c) << i;
  }
  EXPECT_EQ(end, state);

  // Extreme channels clamp; offsets stay in -3..4 and equal on all channels where unclamped.
  const uint32_t seed = image->addNoise(-5, 123);
  EXPECT_NE(seed, 123u);
  for (int i = 0; i < 64 * 64; ++i) {
    for (int shift = 0; shift <= 16; shift += 8) {
      const int32_t was = static_cast<int32_t>((before.pixels[i] >> shift) & 0xFF);
      const int32_t now = static_cast<int32_t>((image->pixels[i] >> shift) & 0xFF);
      ASSERT_GE(now - was, -3);
      ASSERT_LE(now - was, 4);
    }
    ASSERT_EQ(image->pixels[i] >> 24, 0u);
  }

  // Level 0 (and above) spans -127..128: black and white both reach their far ends.
  Image black;
  black.create(256, 16, 0);
  black.addNoise(3, 1);
  uint32_t brightest = 0;
  for (int i = 0; i < 256 * 16; ++i) brightest = std::max(brightest, black.pixels[i] & 0xFF);
  EXPECT_EQ(brightest, 128u);
}

}  // namespace
