#include "display/display_setup.h"

#include "app/app_flags.h"
#include "display/labels.h"
#include "display/pixel_format.h"
#include "display/program_frames.h"
#include "resources/resource_ids.h"

namespace lumiscene {

bool windowed = !startFullScreen;
std::unique_ptr<DisplayDevice> displayDevice;
std::unique_ptr<Surface> frameSurface;
std::unique_ptr<Surface> siteLabel;
std::unique_ptr<Surface> productLabelSurface;

namespace {

constexpr POINT fullScreenCursor{580, 460};

// The window as it was before full-screen. Exclusive mode makes the window a
// screen-sized pop-up and full-screen removes the menu bar; without the menu the
// windowed set-up would size the window for a client area shortened by the menu
// bar, so leaving full-screen puts back what was saved here.
struct WindowPlacement {
  bool saved = false;
  LONG style = 0;
  LONG extendedStyle = 0;
  RECT rect{0, 0, 0, 0};
};
WindowPlacement windowedPlacement;

void saveWindowedPlacement(HWND window) {
  // A rebuild while full-screen must keep the placement from before it.
  if (windowedPlacement.saved) return;
  windowedPlacement.style = GetWindowLongA(window, GWL_STYLE);
  windowedPlacement.extendedStyle = GetWindowLongA(window, GWL_EXSTYLE);
  windowedPlacement.saved = GetWindowRect(window, &windowedPlacement.rect) != 0;
}

void restoreWindowedPlacement(HWND window) {
  if (!windowedPlacement.saved) return;
  windowedPlacement.saved = false;
  SetWindowLongA(window, GWL_STYLE, windowedPlacement.style);
  SetWindowLongA(window, GWL_EXSTYLE, windowedPlacement.extendedStyle);
  const RECT& rect = windowedPlacement.rect;
  SetWindowPos(window, HWND_NOTOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace

void showErrorMessage(HWND owner, const char* text) { MessageBoxA(owner, text, "Lumiscene", MB_ICONERROR); }

void releaseDisplayDevice() { displayDevice.reset(); }

void releaseDisplay() {
  productLabelSurface.reset();
  siteLabel.reset();
  frameSurface.reset();
  releaseDisplayDevice();
}

void resetDisplaySetup() {
  releaseDisplay();
  windowed = !startFullScreen;
  windowedPlacement = WindowPlacement{};
}

HRESULT InitDirectDraw(HWND window, bool& windowedFlag) {
  if (windowedFlag) {
    releaseDisplay();
    displayDevice = std::make_unique<DisplayDevice>();
    const HRESULT result = displayDevice->setUpWindowed(window, frameWidth, frameHeight);
    if (FAILED(result)) return result;
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | WS_SYSMENU);
    if (!runningAsSaver) SetMenu(window, LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU)));
    restoreWindowedPlacement(window);
    int32_t desktopDepth = 0;
    if (SUCCEEDED(readSurfaceDepth(displayDevice->primary, desktopDepth)) && desktopDepth <= 8) {
      windowedFlag = false;
    }
  }
  if (!windowedFlag) {
    saveWindowedPlacement(window);
    releaseDisplay();
    displayDevice = std::make_unique<DisplayDevice>();
    const HRESULT result = displayDevice->setUpFullScreen(window, frameWidth, frameHeight, fullScreenDepth);
    if (FAILED(result)) {
      // Names the mode that was really asked for.
      showErrorMessage(window, "This display card does not support 640x480x32 ");
      return result;
    }
    SetMenu(window, nullptr);
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) & ~static_cast<LONG>(WS_SYSMENU));
    SetCursorPos(fullScreenCursor.x, fullScreenCursor.y);
  }
  // The next frame must not pan by whatever the pointer did before the set-up.
  CursorPosition cursor;
  if (programFrameHost().readPointer(cursor)) frameDriver.lastCursor = cursor;
  HRESULT result = createFrameSurface();
  if (FAILED(result)) return result;
  setUpPixelFormat();
  result = createLabels();
  if (FAILED(result)) return result;
  result = drawLabels();
  return FAILED(result) ? result : S_OK;
}

}  // namespace lumiscene
