// Puts a window's content together (menu strip, client pixels, an open
// drop-down or dialog on top) and hands it to the backend.
#include <vector>

#include "platform/portable/backend.h"
#include "platform/portable/canvas.h"
#include "platform/portable/lasting.h"
#include "platform/portable/window_internal.h"

namespace portable {

void presentWindow(HWND__& window) {
  if (window.dialog != nullptr) {
    if (HWND__* owner = findWindow(window.owner); owner != nullptr) presentWindow(*owner);
    return;
  }
  if (!window.alive || !window.onScreen || !window.visible) return;
  fitClientPixels(window);
  const int32_t strip = menuHeight(window);
  // Kept from present to present: the strip and the client area cover every
  // pixel, so nothing needs clearing and no frame allocates.
  static std::vector<uint32_t>& content = lasting<std::vector<uint32_t>>();
  content.resize(static_cast<size_t>(window.clientWidth) * (window.clientHeight + strip));
  Canvas canvas{content.data(), window.clientWidth, window.clientHeight + strip};
  paintMenuStrip(window, canvas);
  std::copy(window.client.begin(), window.client.end(),
            content.begin() + static_cast<ptrdiff_t>(strip) * window.clientWidth);
  paintOpenMenu(window, canvas);
  paintDialogs(window, canvas);
  backend::presentWindow(content, canvas.width, canvas.height, strip);
}

}  // namespace portable
