// Reduced progressive decoding: every progressive fixture decoded at 1/2, 1/4
// and 1/8 of its size against the means of the squares of its full-size
// decoding. A refinement scan read out of step with the stream ruins every block
// after it, so even loose bounds catch a wrong non-zero bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "tests/jpeg/jpeg_test_support.h"

namespace lumiscene {
namespace {

struct Reduced {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
};

bool decodeReduced(const Bytes& bytes, int32_t denominator, Reduced& out) {
  MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
  auto decoder = std::make_unique<JpegDecoder>();
  decoder->open(&source, true);
  if (decoder->errorCode != 0) return false;
  decoder->scaleDenominator = denominator;
  if (decoder->startDecompress() != 0) return false;
  out.width = decoder->outputWidth;
  out.height = decoder->outputHeight;
  out.pixels.resize(static_cast<size_t>(out.width) * out.height);
  for (int32_t y = 0; y < out.height; ++y) {
    uint8_t* row = nullptr;
    int32_t bytesInRow = 0;
    if (decoder->readRow(&row, &bytesInRow) != 0) return false;
    if (bytesInRow != out.width * decoder->bytesPerPixel) return false;
    packRow(row, out.width, decoder->bytesPerPixel, decoder->componentCount,
            out.pixels.data() + y * out.width);
  }
  uint8_t* row = nullptr;
  int32_t bytesInRow = 0;
  return decoder->readRow(&row, &bytesInRow) == 1;
}

// Mean absolute difference per channel and the largest difference between the
// reduced pixels and the means of the full picture's squares.
void compareWithSquareMeans(const DecodedPicture& full, const Reduced& reduced, int32_t d, double& meanError,
                            int32_t& maxError) {
  double total = 0;
  maxError = 0;
  for (int32_t y = 0; y < reduced.height; ++y) {
    for (int32_t x = 0; x < reduced.width; ++x) {
      for (int32_t shift = 0; shift < 24; shift += 8) {
        int32_t sum = 0, count = 0;
        for (int32_t fy = y * d; fy < std::min(full.height, (y + 1) * d); ++fy) {
          for (int32_t fx = x * d; fx < std::min(full.width, (x + 1) * d); ++fx, ++count) {
            sum += static_cast<int32_t>(full.pixels[fy * full.width + fx] >> shift & 0xFF);
          }
        }
        const int32_t mean = (sum + count / 2) / count;
        const int32_t error =
            std::abs(static_cast<int32_t>(reduced.pixels[y * reduced.width + x] >> shift & 0xFF) - mean);
        total += error;
        maxError = std::max(maxError, error);
      }
    }
  }
  meanError = total / (3.0 * reduced.width * reduced.height);
}

const char* const kProgressiveFixtures[] = {"p420_q100_96x72",
                                            "p420_q75_1x1",
                                            "p420_q75_31x33",
                                            "p420_q75_37x29_separate",
                                            "p420_q75_48x32_rst1deep",
                                            "p420_q75_64x48_deep",
                                            "p420_q75_64x48_rst2",
                                            "p420_q75_80x60",
                                            "p420_q85_200x150",
                                            "p420_q95_96x72",
                                            "p422_q75_15x15",
                                            "p422_q75_80x60",
                                            "p422_q80_160x120",
                                            "p440_q75_23x17",
                                            "p440_q75_80x60",
                                            "p444_q100_96x72",
                                            "p444_q75_1x1",
                                            "p444_q75_40x24_separate",
                                            "p444_q75_80x60",
                                            "pgrey_q75_1x1",
                                            "pgrey_q75_40x40_rst1",
                                            "pgrey_q75_80x60",
                                            "pgrey_q75_9x7"};

TEST(ReducedDecodingTest, EveryProgressiveFixtureAtEveryReductionMatchesItsSquareMeans) {
  for (const char* name : kProgressiveFixtures) {
    const Bytes bytes = readFixture(std::string(name) + ".jpg");
    ASSERT_FALSE(bytes.empty()) << name;
    DecodedPicture full;
    ASSERT_TRUE(full.decode(bytes.data(), static_cast<int32_t>(bytes.size()))) << name;
    for (int32_t d : {2, 4, 8}) {
      SCOPED_TRACE(std::string(name) + " at 1/" + std::to_string(d));
      Reduced reduced;
      ASSERT_TRUE(decodeReduced(bytes, d, reduced));
      EXPECT_EQ(reduced.width, (full.width + d - 1) / d);
      EXPECT_EQ(reduced.height, (full.height + d - 1) / d);
      double meanError = 0;
      int32_t maxError = 0;
      compareWithSquareMeans(full, reduced, d, meanError, maxError);
      // At 1/8 a pixel is its block's DC term, the block's exact mean before rounding,
      // clamping and colour conversion; at 1/2 and 1/4 the kept frequencies at the
      // square's centre. Edge blocks also average the encoder's padding. Measured:
      // means of 0 to 4.9 (6 for the 9 x 7 picture, one block mostly padding),
      // largest differences up to 61 at sharp edges.
      EXPECT_LT(meanError, 8.0);
      EXPECT_LT(maxError, 80);
    }
  }
}

TEST(ReducedDecodingTest, AGreyBlockAtOneEighthIsItsMean) {
  // 40 x 40: whole blocks only, so each reduced pixel's square is exactly one
  // block, and only the full decoding's rounding separates the two.
  const Bytes bytes = readFixture("pgrey_q75_40x40_rst1.jpg");
  DecodedPicture full;
  ASSERT_TRUE(full.decode(bytes.data(), static_cast<int32_t>(bytes.size())));
  Reduced reduced;
  ASSERT_TRUE(decodeReduced(bytes, 8, reduced));
  double meanError = 0;
  int32_t maxError = 0;
  compareWithSquareMeans(full, reduced, 8, meanError, maxError);
  EXPECT_LE(maxError, 1);
}

TEST(ReducedDecodingTest, SequentialFramesAndOtherDenominatorsDecodeAtFullSize) {
  for (const auto& [name, d] :
       {std::pair{"b420_q75_64x48", 8}, {"p420_q75_80x60", 3}, {"p420_q75_80x60", 16}}) {
    SCOPED_TRACE(name);
    const Bytes bytes = readFixture(std::string(name) + ".jpg");
    DecodedPicture full;
    ASSERT_TRUE(full.decode(bytes.data(), static_cast<int32_t>(bytes.size())));
    Reduced reduced;
    ASSERT_TRUE(decodeReduced(bytes, d, reduced));
    ASSERT_EQ(reduced.width, full.width);
    ASSERT_EQ(reduced.height, full.height);
    EXPECT_TRUE(std::equal(reduced.pixels.begin(), reduced.pixels.end(), full.pixels));
  }
}

}  // namespace
}  // namespace lumiscene
