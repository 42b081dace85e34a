// Image operations: plain, clipped and averaged rectangle copies, centring,
// mirror tiling and the noise for shallow displays.
#include "scene/image.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "pictures/random.h"
#include "scene/pixel_rows.h"

namespace lumiscene {

namespace {

constexpr uint32_t colourBits = 0xFFFFFF;

int64_t pixelCount(const Image& image) { return static_cast<int64_t>(image.width) * image.height; }

}  // namespace

Image::Image(const Image& other) {
  create(other.width, other.height, 0);
  copyPixels(other);
}

void Image::create(int32_t newWidth, int32_t newHeight, uint32_t colour) {
  release();
  if (newWidth <= 0 || newHeight <= 0) return;
  width = newWidth;
  height = newHeight;
  pixels = std::make_unique_for_overwrite<uint32_t[]>(static_cast<size_t>(pixelCount(*this)));
  fill(colour);
}

void Image::adopt(int32_t newWidth, int32_t newHeight, std::unique_ptr<uint32_t[]> array) {
  release();
  if (newWidth <= 0 || newHeight <= 0 || !array) return;
  width = newWidth;
  height = newHeight;
  pixels = std::move(array);
}

void Image::release() {
  pixels.reset();
  width = 0;
  height = 0;
}

void Image::fill(uint32_t colour) {
  if (!pixels) return;
  std::fill_n(pixels.get(), pixelCount(*this), colour & colourBits);
}

void Image::copyPixels(const Image& other) {
  if (&other == this || other.width != width || other.height != height || !pixels) return;
  std::memcpy(pixels.get(), other.pixels.get(), static_cast<size_t>(pixelCount(*this)) * sizeof(uint32_t));
}

int32_t Image::loadPixels(const uint32_t* source) {
  const int64_t count = pixelCount(*this);
  if (source != nullptr && pixels) {
    std::memcpy(pixels.get(), source, static_cast<size_t>(count) * sizeof(uint32_t));
  }
  return static_cast<int32_t>(count);
}

void Image::blit(int32_t dx, int32_t dy, const Image& source, int32_t sx0, int32_t sy0, int32_t sx1,
                 int32_t sy1) {
  if (sy1 < sy0 || sx1 < sx0) return;  // an empty row copies nothing
  pixel_rows::chosen::copyRows(pixelAt(dx, dy), width, source.pixelAt(sx0, sy0), source.width, sx1 - sx0 + 1,
                               sy1 - sy0 + 1);
}

void Image::blendHalf(int32_t dx, int32_t dy, const Image& source, int32_t sx0, int32_t sy0, int32_t sx1,
                      int32_t sy1) {
  if (sy1 < sy0 || sx1 < sx0) return;
  uint32_t* destination = pixelAt(dx, dy);
  const uint32_t* from = source.pixelAt(sx0, sy0);
  // Within one image a row may read pixels it has just written; only the
  // pixel-by-pixel form keeps that order.
  if (&source == this) {
    pixel_rows::portable::blendHalfRows(destination, width, from, source.width, sx1 - sx0 + 1, sy1 - sy0 + 1);
  } else {
    pixel_rows::chosen::blendHalfRows(destination, width, from, source.width, sx1 - sx0 + 1, sy1 - sy0 + 1);
  }
}

void Image::blitClipped(int32_t dx, int32_t dy, const Image& source, int32_t sx0, int32_t sy0, int32_t sx1,
                        int32_t sy1) {
  // 64-bit throughout: corners far outside either image must not wrap around.
  int64_t x0 = sx0, y0 = sy0, x1 = sx1, y1 = sy1, tx = dx, ty = dy;
  if (x1 - x0 + 1 <= 0 || y1 - y0 + 1 <= 0) return;
  const int64_t right = tx + x1 - x0;
  const int64_t bottom = ty + y1 - y0;

  const int64_t leftCut = std::max<int64_t>(x0 < 0 ? -x0 : 0, tx < 0 ? -tx : 0);
  const int64_t topCut = std::max<int64_t>(y0 < 0 ? -y0 : 0, ty < 0 ? -ty : 0);
  const int64_t rightCut = std::min<int64_t>(x1 > source.width - 1 ? (source.width - 1) - x1 : 0,
                                             right > width - 1 ? (width - 1) - right : 0);
  const int64_t bottomCut = std::min<int64_t>(y1 > source.height - 1 ? (source.height - 1) - y1 : 0,
                                              bottom > height - 1 ? (height - 1) - bottom : 0);
  x0 += leftCut;
  tx += leftCut;
  y0 += topCut;
  ty += topCut;
  x1 += rightCut;
  y1 += bottomCut;
  if (x1 - x0 + 1 <= 0 || y1 - y0 + 1 <= 0) return;
  blit(static_cast<int32_t>(tx), static_cast<int32_t>(ty), source, static_cast<int32_t>(x0),
       static_cast<int32_t>(y0), static_cast<int32_t>(x1), static_cast<int32_t>(y1));
}

void Image::placeCentred(const Image& source) {
  blitClipped(width / 2 - source.width / 2, height / 2 - source.height / 2, source, 0, 0, source.width - 1,
              source.height - 1);
}

void Image::tileMirrored(const Image& source) {
  const int32_t w = source.width;
  const int32_t h = source.height;
  if (w <= 0 || h <= 0) return;
  for (int32_t y = 0; y < height; ++y) {
    const int32_t r = y % h;
    const int32_t sourceRow = (y / h) % 2 == 0 ? r : h - 1 - r;
    const uint32_t* from = source.pixelAt(0, sourceRow);
    uint32_t* to = pixelAt(0, y);
    int32_t tile = 0;
    for (int32_t x = 0; x < width; x += w, ++tile) {
      const int32_t n = std::min(w, width - x);
      if (tile % 2 == 0) {
        std::memmove(to + x, from, static_cast<size_t>(n) * sizeof(uint32_t));
      } else {
        for (int32_t j = 0; j < n; ++j) to[x + n - 1 - j] = from[j];
      }
      if (width - x <= w) break;  // the last tile; also keeps x from overflowing
    }
  }
}

uint32_t Image::addNoise(int32_t level, uint32_t seed) {
  if (level < -7) return seed;
  const int32_t shift = level > 0 ? 0 : -level;
  const int32_t bias = ((1 << (8 - shift)) - 1) / 2;
  const int64_t count = pixelCount(*this);
  for (int64_t i = 0; i < count; ++i) {
    const int32_t offset = static_cast<int32_t>(nextRandom8(seed) >> shift) - bias;
    const uint32_t pixel = pixels[i];
    const int32_t b = std::clamp(static_cast<int32_t>(pixel & 0xFF) + offset, 0, 255);
    const int32_t g = std::clamp(static_cast<int32_t>((pixel >> 8) & 0xFF) + offset, 0, 255);
    const int32_t r = std::clamp(static_cast<int32_t>((pixel >> 16) & 0xFF) + offset, 0, 255);
    pixels[i] = static_cast<uint32_t>(r << 16 | g << 8 | b);
  }
  return seed;
}

}  // namespace lumiscene
