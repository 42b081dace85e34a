// The display device's scaled set-up: the frame stretched into a window the
// program does not size, keeping the frame's shape, with black bars around it.
#include <cstring>

#include "display/display_device.h"

namespace lumiscene {

RECT letterboxRect(const RECT& area, int width, int height) {
  const int64_t areaWidth = area.right - area.left;
  const int64_t areaHeight = area.bottom - area.top;
  int64_t fitWidth = areaWidth;
  int64_t fitHeight = areaHeight;
  if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return area;
  // Wider than the frame: bars left and right; else above and below.
  if (areaWidth * height > areaHeight * width)
    fitWidth = areaHeight * width / height;
  else
    fitHeight = areaWidth * height / width;
  RECT fitted;
  fitted.left = area.left + static_cast<LONG>((areaWidth - fitWidth) / 2);
  fitted.top = area.top + static_cast<LONG>((areaHeight - fitHeight) / 2);
  fitted.right = fitted.left + static_cast<LONG>(fitWidth);
  fitted.bottom = fitted.top + static_cast<LONG>(fitHeight);
  return fitted;
}

HRESULT DisplayDevice::setUpScaled(HWND targetWindow, int width, int height) {
  releaseAll();
  if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr)))
    return E_FAIL;
  if (FAILED(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL))) return E_FAIL;
  scaledFrame = SIZE{width, height};
  return attachToWindow(targetWindow, width, height);
}

HRESULT DisplayDevice::fillBars() {
  const RECT& frame = screenRect;
  const RECT bars[4] = {
      {clientArea.left, clientArea.top, clientArea.right, frame.top},
      {clientArea.left, frame.bottom, clientArea.right, clientArea.bottom},
      {clientArea.left, frame.top, frame.left, frame.bottom},
      {frame.right, frame.top, clientArea.right, frame.bottom},
  };
  DDBLTFX effects;
  std::memset(&effects, 0, sizeof(effects));
  effects.dwSize = sizeof(effects);
  effects.dwFillColor = 0;
  for (RECT bar : bars) {
    if (bar.right <= bar.left || bar.bottom <= bar.top) continue;
    const HRESULT result = primary->Blt(&bar, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects);
    if (FAILED(result)) return result;
  }
  return S_OK;
}

}  // namespace lumiscene
