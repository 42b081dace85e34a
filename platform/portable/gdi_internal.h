// Device contexts behind HDC: what they draw into and their text state.
// Surfaces make theirs through makeSurfaceDC; GetDC makes those of windows and the screen.
#pragma once

#include "platform/portable/gdi.h"
#include "platform/portable/pixel_layout.h"

namespace portable {

struct DrawTarget {
  uint8_t* pixels = nullptr;  // null: the context measures only
  int32_t pitch = 0;
  int32_t width = 0;
  int32_t height = 0;
  PixelLayout layout;
};

// A context drawing into the given pixels until it is destroyed.
HDC makeSurfaceDC(const DrawTarget& target);
void destroyDC(HDC dc);

}  // namespace portable
