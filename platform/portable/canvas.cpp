// Rectangles and text on 0x00RRGGBB pixel blocks, clipped to the block.
#include "platform/portable/canvas.h"

#include <algorithm>

#include "platform/portable/font.h"

namespace portable {

void Canvas::fill(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
  const int32_t left = std::max(x, 0), top = std::max(y, 0);
  const int32_t right = std::min(x + w, width), bottom = std::min(y + h, height);
  for (int32_t row = top; row < bottom; ++row)
    std::fill(pixels + static_cast<size_t>(row) * width + left,
              pixels + static_cast<size_t>(row) * width + right, colour);
}

void Canvas::frame(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
  fill(x, y, w, 1, colour);
  fill(x, y + h - 1, w, 1, colour);
  fill(x, y, 1, h, colour);
  fill(x + w - 1, y, 1, h, colour);
}

void Canvas::text(int32_t x, int32_t y, std::string_view text, uint32_t colour) {
  bool mnemonic = false;
  for (char character : text) {
    if (character == '&' && !mnemonic) {
      mnemonic = true;
      continue;
    }
    const uint8_t* rows = glyphRows(character);
    for (int32_t row = 0; row < kGlyphHeight; ++row)
      for (int32_t column = 0; column < kGlyphWidth; ++column)
        if (rows[row] & (0x80 >> column)) fill(x + column, y + row, 1, 1, colour);
    if (mnemonic) fill(x, y + kGlyphHeight - 2, kGlyphWidth, 1, colour);
    mnemonic = false;
    x += kGlyphWidth;
  }
}

int32_t textWidth(std::string_view text) {
  int32_t count = 0;
  bool mnemonic = false;
  for (char character : text) {
    if (character == '&' && !mnemonic) {
      mnemonic = true;
      continue;
    }
    mnemonic = false;
    ++count;
  }
  return count * kGlyphWidth;
}

}  // namespace portable
