// Helpers shared by the scene engine's tests: random pictures and the
// deliberately plain pixel-by-pixel forms the optimised code is held against.
#pragma once

#include <cstdint>
#include <memory>

#include "scene/image.h"

namespace scene_test {

inline uint32_t nextTestRandom(uint64_t& state) {
  state = state * 6364136223846793005ull + 1442695040888963407ull;
  return static_cast<uint32_t>(state >> 33);
}

// An image of random 0x00RRGGBB pixels.
inline std::unique_ptr<lumiscene::Image> randomImage(int32_t width, int32_t height, uint64_t seed) {
  auto image = std::make_unique<lumiscene::Image>();
  image->create(width, height, 0);
  for (int64_t i = 0; i < int64_t{width} * height; ++i) image->pixels[i] = nextTestRandom(seed) & 0xFFFFFF;
  return image;
}

inline bool samePixels(const lumiscene::Image& a, const lumiscene::Image& b) {
  if (a.width != b.width || a.height != b.height) return false;
  for (int64_t i = 0; i < int64_t{a.width} * a.height; ++i) {
    if (a.pixels[i] != b.pixels[i]) return false;
  }
  return true;
}

// Per channel: the two halves summed, rounding after the destination.
inline uint32_t referenceHalf(uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t dc = (d >> shift) & 0xFF;
    const uint32_t sc = (s >> shift) & 0xFF;
    out |= (sc / 2 + dc / 2 + (dc & 1)) << shift;
  }
  return out;
}

inline void referenceBlit(lumiscene::Image& to, int32_t dx, int32_t dy, const lumiscene::Image& from, int32_t sx0,
                          int32_t sy0, int32_t sx1, int32_t sy1) {
  for (int32_t y = 0; y <= sy1 - sy0; ++y)
    for (int32_t x = 0; x <= sx1 - sx0; ++x) *to.pixelAt(dx + x, dy + y) = *from.pixelAt(sx0 + x, sy0 + y);
}

inline void referenceBlendHalf(lumiscene::Image& to, int32_t dx, int32_t dy, const lumiscene::Image& from,
                               int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1) {
  for (int32_t y = 0; y <= sy1 - sy0; ++y)
    for (int32_t x = 0; x <= sx1 - sx0; ++x) {
      uint32_t* d = to.pixelAt(dx + x, dy + y);
      *d = referenceHalf(*d, *from.pixelAt(sx0 + x, sy0 + y));
    }
}

}  // namespace scene_test
