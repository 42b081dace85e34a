// Puts a window's content together (menu strip, client pixels, an open
// drop-down or dialog on top) and hands it to the backend.
#include <vector>

#include "platform/portable/backend.h"
#include "platform/portable/canvas.h"
#include "platform/portable/lasting.h"
#include "platform/portable/window_internal.h"

namespace portable {

namespace {

// The area a surface showed, decoded into client rows of the given width.
// Returns the bits the decoding dropped (RowDecoder::decode).
uint32_t decodeShown(const ClientSource& source, uint32_t* clientRows, int32_t width) {
  const RowDecoder decoder(source.layout);
  const int32_t columns = source.area.right - source.area.left;
  uint32_t dropped = 0;
  for (int32_t y = source.area.top; y < source.area.bottom; ++y)
    dropped |= decoder.decode(source.pixels + static_cast<ptrdiff_t>(y - source.area.top) * source.pitch,
                              clientRows + static_cast<ptrdiff_t>(y) * width + source.area.left, columns);
  return dropped;
}

// Puts the window together with its client pixels from `shown` and hands it to
// the backend; true when the backend now shows all of `shown`'s pixels over
// the whole client area, unchanged.
bool compose(HWND__& window, const ClientSource& shown) {
  if (window.dialog != nullptr) {
    if (HWND__* owner = findWindow(window.owner); owner != nullptr) presentWindow(*owner);
    return false;
  }
  if (!window.alive || !window.onScreen || !window.visible) return false;
  fitClientPixels(window);
  const int32_t strip = menuHeight(window);
  // Kept from present to present: the strip and the client area cover every
  // pixel, so nothing needs clearing and no frame allocates.
  static std::vector<uint32_t>& content = lasting<std::vector<uint32_t>>();
  content.resize(static_cast<size_t>(window.clientWidth) * (window.clientHeight + strip));
  Canvas canvas{content.data(), window.clientWidth, window.clientHeight + strip};
  paintMenuStrip(window, canvas);
  // A surface that showed the whole client area is its only source: one
  // conversion from its memory into what the backend shows.
  uint32_t* clientRows = content.data() + static_cast<ptrdiff_t>(strip) * window.clientWidth;
  const bool wholeShown = shown.surface != nullptr && shown.area.left == 0 && shown.area.top == 0 &&
                          shown.area.right == window.clientWidth && shown.area.bottom == window.clientHeight;
  if (!wholeShown) std::copy(window.client.begin(), window.client.end(), clientRows);
  const uint32_t dropped = shown.surface != nullptr ? decodeShown(shown, clientRows, window.clientWidth) : 0;
  const bool menuOver = paintOpenMenu(window, canvas);
  const bool dialogOver = paintDialogs(window, canvas);
  backend::presentWindow(content, canvas.width, canvas.height, strip);
  return wholeShown && dropped == 0 && !menuOver && !dialogOver;
}

}  // namespace

void settleClientPixels(HWND__& window) {
  if (window.shownFrom.surface == nullptr) return;
  settleHeldPixels();
  decodeShown(window.shownFrom, window.client.data(), window.clientWidth);
  window.shownFrom = ClientSource{};
}

void presentWindow(HWND__& window) {
  // The backend is about to be given other pixels.
  settleHeldPixels();
  compose(window, window.shownFrom);
}

bool presentWindowFrom(HWND__& window, const ClientSource& drawn) { return compose(window, drawn); }

}  // namespace portable
