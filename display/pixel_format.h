// The display's pixel layout and the conversion of each 32-bit frame into it.
//
// The layout is read once per display set-up into the global pixelFormat. The
// two standard layouts (RGB 5-6-5 at 16 bits, 8-8-8 at 24 or 32 bits) have fast
// paths; any other layout goes through two lookup tables built from the masks.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/win32.h"

namespace lumiscene {

class Image;

class PixelFormat {
public:
  PixelFormat();

  void setMasks(int32_t bitsPerPixel, uint32_t red, uint32_t green, uint32_t blue);
  void setStandard(int32_t bitsPerPixel);
  bool isStandard() const;
  uint32_t pack(uint32_t r, uint32_t g, uint32_t b) const;
  void buildTables();

  struct Channel {
    int32_t bits = 8;
    int32_t shiftLeft = 0;
    int32_t shiftRight = 0;
  };

  int32_t bitsPerPixel = 32;
  uint32_t redMask = 0;
  uint32_t greenMask = 0;
  uint32_t blueMask = 0;
  Channel red, green, blue;
  std::unique_ptr<uint32_t[]> redTable;        // 256 entries: pack(r, 0, 0)
  std::unique_ptr<uint32_t[]> greenBlueTable;  // 65,536 entries: pack(0, g, b) at g * 256 + b
};

extern PixelFormat pixelFormat;

// The surface's RGB bit count (0 if the call left it untouched) and the call's result.
HRESULT readSurfaceDepth(IDirectDrawSurface7* surface, int32_t& bits);

// Reads frameSurface's layout into pixelFormat and displayDepth; called by every display set-up.
void setUpPixelFormat();

// Converts a 32-bit frame into the locked frameSurface.
HRESULT transferFrame(const Image* image);
// Converts it into another surface (the back buffer) instead, when that surface
// has exactly frameSurface's size and layout, so that the result is what a blit
// of frameSurface would leave there; S_FALSE, with nothing written, when it has not.
HRESULT transferFrameInto(const Image* image, IDirectDrawSurface7* surface);

// The conversion itself, on memory: `columns` pixels of `rows` rows, at the
// given destination depth and pitch. Exposed for the benchmark and the tests.
void convertPixels(const PixelFormat& format, int32_t depth, const uint32_t* source, int32_t sourceWidth,
                   uint8_t* destination, int32_t pitch, int32_t columns, int32_t rows);

}  // namespace lumiscene
