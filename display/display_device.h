// DisplayDevice and Surface: DirectDraw 7 for the program's one window, either
// windowed (a primary surface clipped to the window and an off-screen back
// surface blitted into the client area) or full-screen (exclusive mode with a
// flipping chain of one back buffer).
//
// Every operation returns a result code; set-up steps report any DirectDraw
// failure as E_FAIL. The set-up of the whole display for a mode is in
// display_setup.h.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/win32.h"

namespace lumiscene {

// One off-screen DirectDraw surface and the description it had when created.
class Surface {
public:
  Surface();
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  HRESULT create(IDirectDraw7* directDraw, DDSURFACEDESC2& description);
  void release();

  // Text drawing through the surface's own device context (labels.cpp).
  HRESULT drawText(HFONT font, const char* text, int x, int y, COLORREF background, COLORREF textColour);
  HRESULT setColourKey(COLORREF colour);
  // The surface value GDI produces for a colour; 0xFFFFFFFF when the surface cannot be locked.
  uint32_t matchColour(COLORREF colour);

  int32_t width() const { return static_cast<int32_t>(desc.dwWidth); }
  int32_t height() const { return static_cast<int32_t>(desc.dwHeight); }

  IDirectDrawSurface7* surface;
  DDSURFACEDESC2 desc;
  bool colourKeyed;
};

class DisplayDevice {
public:
  DisplayDevice();
  virtual ~DisplayDevice();
  DisplayDevice(const DisplayDevice&) = delete;
  DisplayDevice& operator=(const DisplayDevice&) = delete;

  // Releases the surfaces, returns the display to normal cooperation and releases DirectDraw.
  virtual void releaseAll();

  HRESULT setUpWindowed(HWND window, int width, int height);
  // Windowed, but into the window as it is (scaled_window.cpp): its style and
  // size stay, and the back surface is stretched into its client area keeping
  // its shape, with black bars where the shapes differ. For windows the
  // program does not size itself: a screensaver's preview or a full-screen window.
  HRESULT setUpScaled(HWND window, int width, int height);
  HRESULT setUpFullScreen(HWND window, int width, int height, int bitsPerPixel);
  HRESULT updateScreenRect();
  HRESULT present();
  HRESULT clearBack(DWORD fillValue);
  HRESULT drawToBack(int x, int y, Surface* surface, RECT* sourceRect);
  HRESULT createOffscreen(std::unique_ptr<Surface>* out, int width, int height);
  // A surface exactly as large as the text, with the text drawn into it (labels.cpp).
  HRESULT createTextSurface(std::unique_ptr<Surface>* out, HFONT font, const char* text, COLORREF background,
                            COLORREF textColour);

  IDirectDraw7* directDraw;
  IDirectDrawSurface7* primary;
  IDirectDrawSurface7* back;
  HWND window;
  // Where the back surface is presented, in screen pixels.
  RECT screenRect;
  bool isWindowed;
  // Scaled set-up only: the whole client area on the screen, and the back
  // surface's size (0 by 0 for the other set-ups).
  RECT clientArea;
  SIZE scaledFrame;

private:
  // The primary surface clipped to the window and an off-screen back surface of the given size.
  HRESULT attachToWindow(HWND window, int width, int height);
  // Paints the client area outside screenRect black.
  HRESULT fillBars();
};

// The largest rectangle of the width : height shape centred in the area.
RECT letterboxRect(const RECT& area, int width, int height);

// A zero-filled surface description with its size field set.
DDSURFACEDESC2 emptySurfaceDesc();

}  // namespace lumiscene
