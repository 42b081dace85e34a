// Pixel layouts of the display and its surfaces: bits per pixel and channel
// masks, with the conversions that GDI, blits and the screen read-back share.
//
// Depths of 16, 24 and 32 bits are packed RGB given by their masks; 8 bits is
// a fixed palette of 3-3-2 RGB (the layer has no palette object), so that GDI
// and read-back still mean something on such a display.
#pragma once

#include <cstdint>

namespace portable {

struct PixelLayout {
  int32_t bitsPerPixel = 32;
  uint32_t redMask = 0xFF0000;
  uint32_t greenMask = 0x00FF00;
  uint32_t blueMask = 0x0000FF;

  int32_t bytesPerPixel() const { return (bitsPerPixel + 7) / 8; }
  // The mask covering one whole pixel value.
  uint32_t valueMask() const { return bitsPerPixel >= 32 ? 0xFFFFFFFFu : (1u << bitsPerPixel) - 1u; }
  bool operator==(const PixelLayout&) const = default;
};

// The usual layout of a depth: 5-6-5 at 16 bits, 8-8-8 at 24 and 32, 3-3-2 at 8.
PixelLayout standardLayout(int32_t bitsPerPixel);
bool isSupportedLayout(const PixelLayout& layout);

// Channel bytes to a pixel value: each channel keeps its top bits.
uint32_t encodePixel(const PixelLayout& layout, uint8_t red, uint8_t green, uint8_t blue);
// A pixel value to 0x00RRGGBB, each channel widened by repeating its bits.
uint32_t decodePixel(const PixelLayout& layout, uint32_t value);

inline uint32_t readPixel(const uint8_t* at, int32_t bytes) {
  switch (bytes) {
    case 1:
      return at[0];
    case 2:
      return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8;
    case 3:
      return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
             static_cast<uint32_t>(at[2]) << 16;
    default:
      return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
             static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
  }
}

inline void writePixel(uint8_t* at, int32_t bytes, uint32_t value) {
  for (int32_t i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Converts rows of pixels of one layout to 0x00RRGGBB. Every frame of a
// present passes through here, so the channel positions and the widening
// tables are worked out once, not per pixel.
class RowDecoder {
 public:
  explicit RowDecoder(const PixelLayout& layout);
  // Returns the bits the usual layout's pixels carried above their colour
  // (OR-ed): zero when the decoded row says all the source did. Always zero
  // for other layouts.
  uint32_t decode(const uint8_t* source, uint32_t* target, int32_t count) const;

 private:
  struct Channel {
    int32_t low = 0;
    uint32_t mask = 0;
    uint8_t widen[256] = {};
  };
  bool straight_;
  int32_t bytes_;
  Channel channels_[3];
};

}  // namespace portable
