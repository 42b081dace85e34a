// Drawing on 0x00RRGGBB pixel blocks, for the parts of a window the layer
// paints itself: the menu strip, its drop-down and the About dialog.
#pragma once

#include <cstdint>
#include <string_view>

namespace portable {

struct Canvas {
  uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;

  void fill(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
  void frame(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
  // Draws text with the built-in font, transparent background. A '&' marks the
  // next character as a mnemonic: it is underlined and the '&' not shown.
  void text(int32_t x, int32_t y, std::string_view text, uint32_t colour);
};

// Width in pixels of a text as Canvas::text draws it.
int32_t textWidth(std::string_view text);

// Colours of the layer's own interface.
inline constexpr uint32_t kFaceColour = 0xD4D0C8;
inline constexpr uint32_t kShadowColour = 0x808080;
inline constexpr uint32_t kHighlightColour = 0xFFFFFF;
inline constexpr uint32_t kTextColour = 0x000000;
inline constexpr uint32_t kSelectionColour = 0x0A246A;
inline constexpr uint32_t kSelectedTextColour = 0xFFFFFF;

}  // namespace portable
