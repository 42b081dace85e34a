// IDirectDraw7 and DirectDrawCreateEx.
//
// Results, besides those of injected faults:
//   DirectDrawCreateEx: DDERR_INVALIDPARAMS (no out pointer, an interface other
//     than IID_IDirectDraw7), CLASS_E_NOAGGREGATION, DDERR_INVALIDDIRECTDRAWGUID,
//     DDERR_NODIRECTDRAWHW when there is no display.
//   SetCooperativeLevel: DDERR_INVALIDPARAMS (not exactly one of normal and
//     exclusive, exclusive without full-screen or without a window, an invalid
//     window), DDERR_EXCLUSIVEMODEALREADYSET when another holds exclusive mode.
//   SetDisplayMode: DDERR_NOEXCLUSIVEMODE without exclusive mode,
//     DDERR_INVALIDPARAMS for a zero size, DDERR_INVALIDMODE for a mode the display lacks.
//   CreateSurface: DDERR_INVALIDPARAMS, CLASS_E_NOAGGREGATION,
//     DDERR_NOCOOPERATIVELEVELSET, DDERR_PRIMARYSURFACEALREADYEXISTS,
//     DDERR_INVALIDCAPS, DDERR_NOEXCLUSIVEMODE (flipping chain in normal mode),
//     DDERR_UNSUPPORTED (more than one back buffer), DDERR_INVALIDPIXELFORMAT, DDERR_OUTOFMEMORY.
//   TestCooperativeLevel: DD_OK; exclusive mode lost to another program:
//     DDERR_NOEXCLUSIVEMODE; in normal mode, another program exclusive:
//     DDERR_EXCLUSIVEMODEALREADYSET, the display mode changed since this object
//     last set or saw it: DDERR_WRONGMODE.
#include <algorithm>
#include <new>

#include "platform/portable/backend.h"
#include "platform/portable/ddraw_internal.h"
#include "platform/portable/user.h"
#include "platform/portable/window_internal.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
const IID IID_IDirectDrawSurface7 = {
    0x06675A80, 0x3B9B, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
const IID IID_IDirectDrawClipper = {
    0x6C14DB85, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace portable {

HRESULT injectedFailure(const char* operation) { return backend::injectedFailure(operation); }

DirectDraw::DirectDraw() : generation_(display().generation) {}

HRESULT DirectDraw::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!(riid == IID_IUnknown) && !(riid == IID_IDirectDraw7)) return E_NOINTERFACE;
  AddRef();
  *object = static_cast<IDirectDraw7*>(this);
  return S_OK;
}

ULONG DirectDraw::AddRef() { return ++references_; }

ULONG DirectDraw::Release() {
  const ULONG left = --references_;
  if (left == 0) {
    // The last release gives the desktop its mode back, as the program relies on.
    leaveExclusive();
    delete this;
  }
  return left;
}

void DirectDraw::leaveExclusive() {
  if (display().exclusiveOwner != this) return;
  display().exclusiveOwner = nullptr;
  restoreDesktopMode();
  generation_ = display().generation;
  backend::setFullScreen(false, 0, 0);
  if (HWND__* window = screenWindow(); window != nullptr) presentWindow(*window);
}

void DirectDraw::surfaceCreated(Surface* surface) {
  surfaces_.push_back(surface);
  AddRef();
}

void DirectDraw::surfaceDestroyed(Surface* surface) {
  surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), surface), surfaces_.end());
  Release();
}

HRESULT DirectDraw::CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) {
  if (clipper == nullptr) return DDERR_INVALIDPARAMS;
  *clipper = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (flags != 0) return DDERR_INVALIDPARAMS;
  if (const HRESULT fault = injectedFailure("CreateClipper"); fault != 0) return fault;
  *clipper = new Clipper();
  return DD_OK;
}

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) {
  if (surface == nullptr) return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (const HRESULT fault = injectedFailure("CreateSurface"); fault != 0) return fault;
  if (cooperativeLevel_ == 0) return DDERR_NOCOOPERATIVELEVELSET;
  const DWORD caps = (desc->dwFlags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : DDSCAPS_OFFSCREENPLAIN;
  const DisplayState& screen = display();
  int32_t width = screen.width, height = screen.height;
  PixelLayout layout = screen.layout;
  const bool primary = (caps & DDSCAPS_PRIMARYSURFACE) != 0;
  const bool flipping = (caps & DDSCAPS_FLIP) != 0;
  if (primary) {
    if (desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
    if (hasPrimary_) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    if (flipping) {
      if (!(caps & DDSCAPS_COMPLEX) || !(desc->dwFlags & DDSD_BACKBUFFERCOUNT) ||
          desc->dwBackBufferCount == 0)
        return DDERR_INVALIDCAPS;
      if (!exclusive()) return DDERR_NOEXCLUSIVEMODE;
      if (desc->dwBackBufferCount != 1) return DDERR_UNSUPPORTED;
    }
  } else {
    if (caps & (DDSCAPS_FLIP | DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER)) return DDERR_INVALIDCAPS;
    if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || desc->dwWidth == 0 ||
        desc->dwHeight == 0 || desc->dwWidth > 16384 || desc->dwHeight > 16384)
      return DDERR_INVALIDPARAMS;
    width = static_cast<int32_t>(desc->dwWidth);
    height = static_cast<int32_t>(desc->dwHeight);
    if (desc->dwFlags & DDSD_PIXELFORMAT) {
      const DDPIXELFORMAT& format = desc->ddpfPixelFormat;
      if (format.dwFlags & DDPF_PALETTEINDEXED8) {
        layout = standardLayout(8);
      } else {
        layout = {static_cast<int32_t>(format.dwRGBBitCount), format.dwRBitMask, format.dwGBitMask,
                  format.dwBBitMask};
        if (!(format.dwFlags & DDPF_RGB) || !isSupportedLayout(layout)) return DDERR_INVALIDPIXELFORMAT;
      }
    }
  }
  try {
    auto* created = new Surface(this, width, height, layout, caps);
    if (flipping)
      created->attachBackBuffer(
          new Surface(this, width, height, layout, DDSCAPS_BACKBUFFER | (caps & DDSCAPS_3DDEVICE)));
    if (primary) hasPrimary_ = true;
    *surface = created;
  } catch (const std::bad_alloc&) {
    return DDERR_OUTOFMEMORY;
  }
  return DD_OK;
}

HRESULT DirectDraw::RestoreAllSurfaces() {
  if (const HRESULT fault = injectedFailure("RestoreAllSurfaces"); fault != 0) return fault;
  const std::vector<Surface*> surfaces = surfaces_;
  for (Surface* surface : surfaces)
    if (const HRESULT result = surface->Restore(); FAILED(result)) return result;
  return DD_OK;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
  const DWORD known = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES | DDSCL_NORMAL |
                      DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX | DDSCL_MULTITHREADED | DDSCL_FPUSETUP |
                      DDSCL_FPUPRESERVE;
  const bool wantExclusive = (flags & DDSCL_EXCLUSIVE) != 0, wantNormal = (flags & DDSCL_NORMAL) != 0;
  if ((flags & ~known) != 0 || wantExclusive == wantNormal) return DDERR_INVALIDPARAMS;
  if (wantExclusive && (!(flags & DDSCL_FULLSCREEN) || window == nullptr)) return DDERR_INVALIDPARAMS;
  if (window != nullptr && !IsWindow(window)) return DDERR_INVALIDPARAMS;
  if (const HRESULT fault = injectedFailure("SetCooperativeLevel"); fault != 0) return fault;
  if (wantExclusive) {
    const void* owner = display().exclusiveOwner;
    if (backend::exclusiveModeHeldElsewhere() || (owner != nullptr && owner != this))
      return DDERR_EXCLUSIVEMODEALREADYSET;
    display().exclusiveOwner = this;
    backend::setFullScreen(true, display().width, display().height);
  } else {
    leaveExclusive();
  }
  cooperativeLevel_ = flags;
  window_ = window;
  return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD, DWORD) {
  if (const HRESULT fault = injectedFailure("SetDisplayMode"); fault != 0) return fault;
  if (!exclusive() || display().exclusiveOwner != this) return DDERR_NOEXCLUSIVEMODE;
  if (width == 0 || height == 0 || width > 16384 || height > 16384) return DDERR_INVALIDPARAMS;
  if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32)
    return DDERR_INVALIDMODE;
  const backend::Desktop& desktop = display().desktop;
  const bool desktopsOwn = static_cast<int32_t>(width) == desktop.width &&
                           static_cast<int32_t>(height) == desktop.height &&
                           static_cast<int32_t>(bitsPerPixel) == desktop.bitsPerPixel;
  if (!desktopsOwn && !desktop.otherModes) return DDERR_INVALIDMODE;
  // At the desktop's depth the display keeps the desktop's channel layout.
  PixelLayout layout = {desktop.bitsPerPixel, desktop.redMask, desktop.greenMask, desktop.blueMask};
  if (static_cast<int32_t>(bitsPerPixel) != desktop.bitsPerPixel || !isSupportedLayout(layout))
    layout = standardLayout(static_cast<int32_t>(bitsPerPixel));
  setDisplayMode(static_cast<int32_t>(width), static_cast<int32_t>(height), layout);
  generation_ = display().generation;
  backend::setFullScreen(true, static_cast<int32_t>(width), static_cast<int32_t>(height));
  // As on Windows, the exclusive window is put over the whole screen, on top; its own
  // tracking size may hold it smaller. Leaving the mode does not move it back.
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, static_cast<int>(width), static_cast<int>(height),
               SWP_NOACTIVATE);
  return DD_OK;
}

HRESULT DirectDraw::TestCooperativeLevel() {
  if (const HRESULT fault = injectedFailure("TestCooperativeLevel"); fault != 0) return fault;
  const bool heldElsewhere = backend::exclusiveModeHeldElsewhere();
  if (exclusive()) return heldElsewhere ? DDERR_NOEXCLUSIVEMODE : DD_OK;
  if (heldElsewhere) return DDERR_EXCLUSIVEMODEALREADYSET;
  if (generation_ != display().generation) return DDERR_WRONGMODE;
  return DD_OK;
}

}  // namespace portable

HRESULT WINAPI DirectDrawCreateEx(GUID* device, LPVOID* directDraw, REFIID iid, IUnknown* outer) {
  if (directDraw == nullptr) return DDERR_INVALIDPARAMS;
  *directDraw = nullptr;
  if (!(iid == IID_IDirectDraw7)) return DDERR_INVALIDPARAMS;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (device != nullptr && device != DDCREATE_HARDWAREONLY && device != DDCREATE_EMULATIONONLY)
    return DDERR_INVALIDDIRECTDRAWGUID;
  if (const HRESULT fault = portable::injectedFailure("DirectDrawCreateEx"); fault != 0) return fault;
  if (!portable::display().desktop.available) return DDERR_NODIRECTDRAWHW;
  *directDraw = static_cast<IDirectDraw7*>(new portable::DirectDraw());
  return DD_OK;
}
