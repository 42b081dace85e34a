// The inverse transforms and the colour converters: the four-lane transform's
// portable and SSE2 forms byte for byte on random, sparse and extreme blocks, the
// integer transform against a floating-point reference, the documented DC-only
// results, and the colour converters' portable and SSE2 forms on every layout.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "jpeg/colour_convert.h"
#include "jpeg/jpeg_tables.h"
#include "tests/jpeg/jpeg_test_support.h"

namespace lumiscene {
namespace {

struct Block {
  int16_t coef[64];
  int16_t mult[64];
};

std::vector<Block> testBlocks() {
  std::mt19937 rng(3);
  std::vector<Block> blocks;
  auto any16 = [&] { return static_cast<int16_t>(rng()); };
  for (int i = 0; i < 3000; ++i) {
    Block b{};
    int kind = i % 5;
    for (int k = 0; k < 64; ++k) {
      switch (kind) {
        case 0:  // random, wrapping everywhere
          b.coef[k] = any16();
          b.mult[k] = any16();
          break;
        case 1:  // realistic: small coefficients, quantiser-sized multipliers
          b.coef[k] = static_cast<int16_t>(static_cast<int>(rng() % 41) - 20);
          b.mult[k] = static_cast<int16_t>(rng() % 400);
          break;
        case 2:  // sparse
          b.coef[k] = rng() % 12 == 0 ? static_cast<int16_t>(static_cast<int>(rng() % 2001) - 1000) : 0;
          b.mult[k] = static_cast<int16_t>((1u + rng() % 100) * static_cast<uint32_t>(aanScale[k]) >> 12);
          break;
        case 3:  // extreme values
          b.coef[k] = rng() % 2 ? 32767 : -32768;
          b.mult[k] = rng() % 2 ? 32767 : -32768;
          break;
        default:  // quality-100 like: multipliers near 4, large coefficients
          b.coef[k] = static_cast<int16_t>(static_cast<int>(rng() % 4001) - 2000);
          b.mult[k] = static_cast<int16_t>((static_cast<uint32_t>(aanScale[k]) + 2048) >> 12);
          break;
      }
    }
    blocks.push_back(b);
  }
  return blocks;
}

#if defined(__SSE2__)
TEST(JpegTransform, FourLaneFormsAgreeByteForByte) {
  for (const Block& b : testBlocks()) {
    uint8_t portable[64], vector[64];
    idctMmxPortable(b.coef, b.mult, portable, 8);
    idctMmxSse2(b.coef, b.mult, vector, 8);
    ASSERT_EQ(0, std::memcmp(portable, vector, 64));
  }
}
#endif

TEST(JpegTransform, DcOnlyBlocksOnBothPaths) {
  // Integer path with dequantised DC d: ((4d + 16) >> 5) + 128.
  for (int d : {0, 80, 84, -5000, 5000}) {
    int16_t work[64] = {};
    work[0] = static_cast<int16_t>(d);
    uint8_t out[64];
    idctInteger(work, out);
    int expected = std::clamp(((4 * d + 16) >> 5) + 128, 0, 255);
    for (uint8_t v : out) ASSERT_EQ(v, expected) << d;
  }
  // Four-lane path with quantised v and quantiser q: multiplier 4q, ((4vq) >> 5) + 128.
  auto fourLane = [](int v, int q) {
    int16_t coef[64] = {}, mult[64] = {};
    coef[0] = static_cast<int16_t>(v);
    mult[0] = static_cast<int16_t>((static_cast<uint32_t>(q) * 16384 + 2048) >> 12);
    uint8_t out[64];
    idctMmx(coef, mult, out, 8);
    for (uint8_t s : out) EXPECT_EQ(s, out[0]);
    return out[0];
  };
  EXPECT_EQ(fourLane(21, 4), 138);  // vq = 84: the integer path gives 139
  EXPECT_EQ(fourLane(20, 4), 138);  // vq = 80: both give 138
  EXPECT_EQ(fourLane(0, 50), 128);
  int16_t zero[64] = {};
  uint8_t out[64];
  idctInteger(zero, out);
  for (uint8_t v : out) EXPECT_EQ(v, 128);
  int16_t work84[64] = {84};
  idctInteger(work84, out);
  EXPECT_EQ(out[0], 139);
}

TEST(JpegTransform, IntegerTransformStaysWithinOneOfTheExactTransform) {
  std::mt19937 rng(5);
  for (int i = 0; i < 2000; ++i) {
    int16_t coef[64] = {}, work[64];
    for (int k = 0; k < 64; ++k) {
      if (rng() % 3 == 0) coef[k] = static_cast<int16_t>(static_cast<int>(rng() % 601) - 300);
    }
    std::memcpy(work, coef, sizeof coef);
    uint8_t out[64];
    idctInteger(work, out);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        double s = 0;
        for (int u = 0; u < 8; ++u) {
          for (int v = 0; v < 8; ++v) {
            double cu = u ? 1 : 1 / std::numbers::sqrt2, cv = v ? 1 : 1 / std::numbers::sqrt2;
            s += cu * cv * coef[8 * u + v] * std::cos((2 * x + 1) * v * std::numbers::pi / 16) *
                 std::cos((2 * y + 1) * u * std::numbers::pi / 16);
          }
        }
        double exact = std::clamp(std::round(s / 4 + 128), 0.0, 255.0);
        ASSERT_LE(std::abs(out[8 * y + x] - exact), 1.0);
      }
    }
  }
}

TEST(JpegTransform, ExtremeBlocksSaturateOnBothPaths) {
  for (const Block& b : testBlocks()) {
    int16_t work[64];
    std::memcpy(work, b.coef, sizeof work);
    uint8_t out[64];
    idctInteger(work, out);  // runs clean under the sanitizers; bytes are bytes
    idctMmx(b.coef, b.mult, out, 8);
  }
  int16_t big[64], ones[64];
  for (int k = 0; k < 64; ++k) big[k] = 0, ones[k] = 4;
  big[0] = 2000;
  uint8_t out[64];
  idctMmx(big, ones, out, 8);
  for (uint8_t v : out) EXPECT_EQ(v, 255);
  big[0] = -2000;
  idctMmx(big, ones, out, 8);
  for (uint8_t v : out) EXPECT_EQ(v, 0);
}

#if defined(__SSE2__)
TEST(JpegTransform, ColourConvertersAgreeOnEveryLayout) {
  int32_t crToR[256], cbToB[256], crToG[256], cbToG[256];
  for (int i = 0; i < 256; ++i) {
    crToR[i] = (91882 * (i - 128) + 32768) >> 16;
    cbToB[i] = (116130 * (i - 128) + 32768) >> 16;
    crToG[i] = -46802 * (i - 128);
    cbToG[i] = -22554 * (i - 128) + 32768;
  }
  ColourTables t{crToR, cbToB, crToG, cbToG};
  std::mt19937 rng(9);
  const int mcus = 3;
  std::vector<uint8_t> samples(384 * mcus);
  std::vector<uint8_t> a0(64 * mcus), a1(64 * mcus), b0(64 * mcus), b1(64 * mcus);
  for (int trial = 0; trial < 300; ++trial) {
    for (uint8_t& s : samples) s = static_cast<uint8_t>(trial < 50 ? (rng() % 2 ? 255 : 0) : rng());
    for (int r = 0; r < 8; ++r) {
      convertH1V1(t, samples.data(), mcus, r, a0.data());
      sse2::convertH1V1(t, samples.data(), mcus, r, b0.data());
      ASSERT_EQ(0, std::memcmp(a0.data(), b0.data(), 32 * mcus));
      convertH2V1(t, samples.data(), mcus, r, a0.data());
      sse2::convertH2V1(t, samples.data(), mcus, r, b0.data());
      ASSERT_EQ(0, std::memcmp(a0.data(), b0.data(), 64 * mcus));
    }
    for (int r = 0; r < 16; r += 2) {
      convertH1V2(t, samples.data(), mcus, r, a0.data(), a1.data());
      sse2::convertH1V2(t, samples.data(), mcus, r, b0.data(), b1.data());
      ASSERT_EQ(0, std::memcmp(a0.data(), b0.data(), 32 * mcus));
      ASSERT_EQ(0, std::memcmp(a1.data(), b1.data(), 32 * mcus));
      convertH2V2(t, samples.data(), mcus, r, a0.data(), a1.data());
      sse2::convertH2V2(t, samples.data(), mcus, r, b0.data(), b1.data());
      ASSERT_EQ(0, std::memcmp(a0.data(), b0.data(), 64 * mcus));
      ASSERT_EQ(0, std::memcmp(a1.data(), b1.data(), 64 * mcus));
    }
  }
}
#endif

}  // namespace
}  // namespace lumiscene
