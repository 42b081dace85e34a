// Reduced progressive decoding: a progressive frame decoded at 1/2, 1/4 or 1/8 of
// its size. A whole progressive frame must be held before its first row can be
// made, and at full size that is 130 bytes a block; here a block keeps only its
// DC value, its top-left side x side coefficients and one bit per coefficient
// saying whether it is non-zero yet, which is all the refinement scans consult
// (T.81 G.1.2.3: a correction bit belongs to every coefficient already non-zero).
// Each block then becomes side x side samples: the low frequencies it keeps,
// evaluated at the centres of the squares the output pixels stand for; at 1/8
// that is the DC term, the block's exact mean. A subsampled chroma block keeps
// twice the side along its subsampled axis, so that no chroma is replicated and a
// reduced pixel's colour is that of its own square.
#include <cmath>
#include <numbers>

#include "jpeg/coefficient_blocks.h"

namespace lumiscene {

namespace {

inline uint8_t clampChannel(int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

void JpegDecoder::setUpReduction() {
  const int32_t d = scaleDenominator;
  if (d != 2 && d != 4 && d != 8) return;
  reducedSide = 8 / d;
  for (int32_t c = 0; c < componentCount; ++c) {
    // setUpOutput allows subsampling only of the chroma components, by 1 or 2.
    reducedWidth[c] = reducedSide * (c == 0 ? 1 : compHSamp[0]);
    reducedHeight[c] = reducedSide * (c == 0 ? 1 : compVSamp[0]);
    for (int32_t n = 0; n < 64; ++n) {
      const int32_t row = n / 8, column = n % 8;
      const bool kept = row < reducedHeight[c] && column < reducedWidth[c];
      reducedSlot[c][n] = static_cast<int8_t>(kept ? row * reducedWidth[c] + column : -1);
    }
  }
  outputWidth = (imageWidth + d - 1) / d;
  outputHeight = (imageHeight + d - 1) / d;
  rowBytes = outputWidth * bytesPerPixel;
  rowsLeft = outputHeight;
}

namespace {

// basis[i][u]: C(u) cos((2i + 1) u pi / 2 side) / 2, so that a product of two is
// the 8 x 8 transform's C(u) C(v) / 4 at the centre of output sample i.
struct Basis {
  explicit Basis(int32_t side) {
    for (int32_t i = 0; i < side; ++i) {
      for (int32_t u = 0; u < side; ++u) {
        const double cu = u == 0 ? std::numbers::sqrt2 / 2 : 1.0;
        at[i][u] = static_cast<float>(cu * std::cos((2 * i + 1) * u * std::numbers::pi / (2 * side)) / 2);
      }
    }
  }
  float at[8][8] = {};
};

}  // namespace

void JpegDecoder::buildReducedPlanes() {
  for (int32_t c = 0; c < componentCount; ++c) {
    const int32_t width = reducedWidth[c], height = reducedHeight[c];
    const Basis across(width), down(height);
    const CoefArray* dcArray = dcCoefArray[c];
    CoefArray* acArray = acCoefArray[c];
    const int32_t planeWidth = dcArray->widthBlocks * width;
    reducedPlaneWidth[c] = planeWidth;
    reducedPlanes[c] =
        static_cast<uint8_t*>(allocateLarge(int64_t{planeWidth} * dcArray->heightBlocks * height));
    const uint16_t* q = quantValues[compQuantSel[c]];
    const auto* dcValues = reinterpret_cast<const int16_t*>(dcArray->data);
    for (int32_t by = 0; by < dcArray->heightBlocks; ++by) {
      for (int32_t bx = 0; bx < dcArray->widthBlocks; ++bx) {
        float coefficients[8][8];
        const int16_t* kept = keptCoefficients(coefficientElement(acArray, bx, by));
        for (int32_t v = 0; v < height; ++v) {
          for (int32_t u = 0; u < width; ++u) {
            const int32_t value =
                v == 0 && u == 0 ? dcValues[int64_t{by} * dcArray->widthBlocks + bx] : kept[v * width + u];
            coefficients[v][u] = static_cast<float>(value * int32_t{q[v * 8 + u]});
          }
        }
        uint8_t* out = reducedPlanes[c] + int64_t{by} * height * planeWidth + int64_t{bx} * width;
        for (int32_t j = 0; j < height; ++j) {
          float column[8];
          for (int32_t u = 0; u < width; ++u) {
            float sum = 0;
            for (int32_t v = 0; v < height; ++v) sum += down.at[j][v] * coefficients[v][u];
            column[u] = sum;
          }
          for (int32_t i = 0; i < width; ++i) {
            float sum = 128.5f;
            for (int32_t u = 0; u < width; ++u) sum += across.at[i][u] * column[u];
            out[int64_t{j} * planeWidth + i] = clampChannel(static_cast<int32_t>(std::floor(sum)));
          }
        }
      }
    }
  }
}

uint8_t* JpegDecoder::produceReducedRow(int32_t y) {
  const uint8_t* luma = reducedPlanes[0] + int64_t{y} * reducedPlaneWidth[0];
  if (componentCount == 1) {
    for (int32_t x = 0; x < outputWidth; ++x) rowBuffer0[x] = luma[x];
    return rowBuffer0;
  }
  const uint8_t* cb = reducedPlanes[1] + int64_t{y} * reducedPlaneWidth[1];
  const uint8_t* cr = reducedPlanes[2] + int64_t{y} * reducedPlaneWidth[2];
  uint8_t* dst = rowBuffer0;
  for (int32_t x = 0; x < outputWidth; ++x, dst += 4) {
    const int32_t l = luma[x], blue = cb[x], red = cr[x];
    dst[0] = clampChannel(l + crToR[red]);
    dst[1] = clampChannel(l + ((cbToG[blue] + crToG[red]) >> 16));
    dst[2] = clampChannel(l + cbToB[blue]);
    dst[3] = 0;
  }
  return rowBuffer0;
}

}  // namespace lumiscene
