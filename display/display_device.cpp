#include "display/display_device.h"

#include <cstring>

namespace lumiscene {

namespace {

template <typename T>
void releaseReference(T*& reference) {
  if (reference != nullptr) {
    reference->Release();
    reference = nullptr;
  }
}

// WS_POPUP removed; WS_CAPTION, WS_THICKFRAME and WS_MINIMIZEBOX present.
constexpr LONG windowedStyleKeep = 0x7F39FFFF;
constexpr LONG windowedStyleAdd = 0x00C60000;

}  // namespace

DDSURFACEDESC2 emptySurfaceDesc() {
  DDSURFACEDESC2 description;
  std::memset(&description, 0, sizeof(description));
  description.dwSize = sizeof(description);
  return description;
}

Surface::Surface() : surface(nullptr), desc(emptySurfaceDesc()), colourKeyed(false) {}

Surface::~Surface() { release(); }

HRESULT Surface::create(IDirectDraw7* directDraw, DDSURFACEDESC2& description) {
  if (directDraw == nullptr) return E_POINTER;
  const HRESULT result = directDraw->CreateSurface(&description, &surface, nullptr);
  if (FAILED(result)) return result;
  desc = emptySurfaceDesc();
  surface->GetSurfaceDesc(&desc);
  return S_OK;
}

void Surface::release() { releaseReference(surface); }

DisplayDevice::DisplayDevice()
    : directDraw(nullptr), primary(nullptr), back(nullptr), window(nullptr), screenRect{0, 0, 0, 0},
      isWindowed(false), clientArea{0, 0, 0, 0}, scaledFrame{0, 0} {}

DisplayDevice::~DisplayDevice() { DisplayDevice::releaseAll(); }

void DisplayDevice::releaseAll() {
  releaseReference(back);
  releaseReference(primary);
  if (directDraw != nullptr) {
    directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
    releaseReference(directDraw);
  }
}

HRESULT DisplayDevice::setUpFullScreen(HWND targetWindow, int width, int height, int bitsPerPixel) {
  releaseAll();
  if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr)))
    return E_FAIL;
  if (FAILED(directDraw->SetCooperativeLevel(targetWindow, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE))) return E_FAIL;
  if (FAILED(directDraw->SetDisplayMode(width, height, bitsPerPixel, 0, 0))) return E_FAIL;

  DDSURFACEDESC2 description = emptySurfaceDesc();
  description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  description.dwBackBufferCount = 1;
  description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
  if (FAILED(directDraw->CreateSurface(&description, &primary, nullptr))) return E_FAIL;

  DDSCAPS2 backCaps;
  std::memset(&backCaps, 0, sizeof(backCaps));
  backCaps.dwCaps = DDSCAPS_BACKBUFFER;
  if (FAILED(primary->GetAttachedSurface(&backCaps, &back))) return E_FAIL;

  window = targetWindow;
  isWindowed = false;
  updateScreenRect();
  return S_OK;
}

HRESULT DisplayDevice::setUpWindowed(HWND targetWindow, int width, int height) {
  releaseAll();
  if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr)))
    return E_FAIL;
  if (FAILED(directDraw->SetCooperativeLevel(targetWindow, DDSCL_NORMAL))) return E_FAIL;

  const LONG style = (GetWindowLongA(targetWindow, GWL_STYLE) & windowedStyleKeep) | windowedStyleAdd;
  SetWindowLongA(targetWindow, GWL_STYLE, style);
  RECT outer;
  SetRect(&outer, 0, 0, width, height);
  AdjustWindowRectEx(&outer, static_cast<DWORD>(style), GetMenu(targetWindow) != nullptr,
                     static_cast<DWORD>(GetWindowLongA(targetWindow, GWL_EXSTYLE)));
  SetWindowPos(targetWindow, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  SetWindowPos(targetWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);

  // Keep the top-left corner inside the work area; the other edges may stick out.
  RECT workArea, placed;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  GetWindowRect(targetWindow, &placed);
  const int left = placed.left < workArea.left ? workArea.left : placed.left;
  const int top = placed.top < workArea.top ? workArea.top : placed.top;
  SetWindowPos(targetWindow, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return attachToWindow(targetWindow, width, height);
}

HRESULT DisplayDevice::attachToWindow(HWND targetWindow, int width, int height) {
  DDSURFACEDESC2 description = emptySurfaceDesc();
  description.dwFlags = DDSD_CAPS;
  description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (FAILED(directDraw->CreateSurface(&description, &primary, nullptr))) return E_FAIL;

  description = emptySurfaceDesc();
  description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  description.dwWidth = static_cast<DWORD>(width);
  description.dwHeight = static_cast<DWORD>(height);
  description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
  if (FAILED(directDraw->CreateSurface(&description, &back, nullptr))) return E_FAIL;

  IDirectDrawClipper* clipper = nullptr;
  if (FAILED(directDraw->CreateClipper(0, &clipper, nullptr))) return E_FAIL;
  // The primary surface keeps its own reference to the clipper.
  const bool clipped = SUCCEEDED(clipper->SetHWnd(0, targetWindow)) && SUCCEEDED(primary->SetClipper(clipper));
  clipper->Release();
  if (!clipped) return E_FAIL;

  window = targetWindow;
  isWindowed = true;
  updateScreenRect();
  return S_OK;
}

HRESULT DisplayDevice::updateScreenRect() {
  if (isWindowed) {
    GetClientRect(window, &screenRect);
    POINT topLeft{screenRect.left, screenRect.top};
    POINT bottomRight{screenRect.right, screenRect.bottom};
    ClientToScreen(window, &topLeft);
    ClientToScreen(window, &bottomRight);
    SetRect(&screenRect, topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    if (scaledFrame.cx > 0) {
      clientArea = screenRect;
      screenRect = letterboxRect(clientArea, scaledFrame.cx, scaledFrame.cy);
    }
  } else {
    SetRect(&screenRect, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  }
  return S_OK;
}

HRESULT DisplayDevice::present() {
  if (primary == nullptr || back == nullptr) return E_POINTER;
  if (isWindowed && scaledFrame.cx > 0) {
    const HRESULT result = fillBars();
    if (FAILED(result)) return result;
  }
  while (true) {
    const HRESULT result = isWindowed ? primary->Blt(&screenRect, back, nullptr, DDBLT_WAIT, nullptr)
                                      : primary->Flip(nullptr, DDFLIP_WAIT);
    if (result == DDERR_WASSTILLDRAWING) continue;
    if (result == DDERR_SURFACELOST) {
      primary->Restore();
      back->Restore();
    }
    return result;
  }
}

HRESULT DisplayDevice::clearBack(DWORD fillValue) {
  if (back == nullptr) return E_POINTER;
  DDBLTFX effects;
  std::memset(&effects, 0, sizeof(effects));
  effects.dwSize = sizeof(effects);
  effects.dwFillColor = fillValue;
  return back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects);
}

HRESULT DisplayDevice::drawToBack(int x, int y, Surface* surface, RECT* sourceRect) {
  if (surface == nullptr) return E_INVALIDARG;
  if (back == nullptr) return E_POINTER;
  // A surface that is gone (its set-up failed half-way) draws nothing rather than crashing.
  if (surface->surface == nullptr) return E_POINTER;
  return back->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), surface->surface, sourceRect,
                       surface->colourKeyed ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY);
}

HRESULT DisplayDevice::createOffscreen(std::unique_ptr<Surface>* out, int width, int height) {
  if (directDraw == nullptr) return E_POINTER;
  if (out == nullptr) return E_INVALIDARG;
  DDSURFACEDESC2 description = emptySurfaceDesc();
  description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  description.dwWidth = static_cast<DWORD>(width);
  description.dwHeight = static_cast<DWORD>(height);
  auto surface = std::make_unique<Surface>();
  const HRESULT result = surface->create(directDraw, description);
  if (FAILED(result)) {
    out->reset();
    return result;
  }
  *out = std::move(surface);
  return S_OK;
}

}  // namespace lumiscene
