// The built-in fixed-cell font shared by GDI text and the layer's own menu and dialog.
#pragma once

#include <cstdint>

namespace portable {

inline constexpr int32_t kGlyphWidth = 8;
inline constexpr int32_t kGlyphHeight = 16;

// The 16 rows of a character's cell, the leftmost pixel in bit 7.
const uint8_t* glyphRows(char character);

}  // namespace portable
