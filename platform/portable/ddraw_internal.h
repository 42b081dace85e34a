// The classes behind the DirectDraw interfaces, and the pixel operations
// their blits share. Only ddraw*.cpp include this.
#pragma once

#include <vector>

#include "platform/portable/ddraw.h"
#include "platform/portable/display.h"
#include "platform/portable/pixel_layout.h"

namespace portable {

class Surface;

// A fault injected by a test for the named call, or 0.
HRESULT injectedFailure(const char* operation);

class DirectDraw final : public IDirectDraw7 {
 public:
  DirectDraw();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper,
                                          IUnknown* outer) override;
  HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface,
                                          IUnknown* outer) override;
  HRESULT STDMETHODCALLTYPE RestoreAllSurfaces() override;
  HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                                           DWORD flags) override;
  HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;

  bool exclusive() const { return (cooperativeLevel_ & DDSCL_EXCLUSIVE) != 0; }
  void surfaceCreated(Surface* surface);
  void surfaceDestroyed(Surface* surface);
  void primaryDestroyed() { hasPrimary_ = false; }

 private:
  ~DirectDraw() = default;
  void leaveExclusive();

  ULONG references_ = 1;
  DWORD cooperativeLevel_ = 0;
  HWND window_ = nullptr;
  uint32_t generation_ = 0;
  bool hasPrimary_ = false;
  std::vector<Surface*> surfaces_;
};

class Clipper final : public IDirectDrawClipper {
 public:
  static Clipper* from(IDirectDrawClipper* clipper);
  Clipper();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE SetHWnd(DWORD flags, HWND window) override;

  HWND window() const { return window_; }

 private:
  ~Clipper();
  ULONG references_ = 1;
  HWND window_ = nullptr;
};

// Pixel memory with its geometry, as the blit helpers see it.
struct PixelBlock {
  uint8_t* pixels = nullptr;
  int32_t pitch = 0;
  int32_t width = 0;
  int32_t height = 0;
  PixelLayout layout;
};

// The colour key a copy honours: source values from low to high are skipped.
struct KeyRange {
  bool active = false;
  uint32_t low = 0;
  uint32_t high = 0;
};

void fillBlock(PixelBlock& target, const RECT& area, uint32_t value);
// Copies source area onto target area (stretching by nearest pixel when the
// sizes differ, converting when the layouts differ); only the part of the
// target area inside clip is written.
void copyBlock(PixelBlock& target, const RECT& targetArea, const RECT& clip, const PixelBlock& source,
               const RECT& sourceArea, const KeyRange& key);

class Surface final : public IDirectDrawSurface7, public LosableSurface {
 public:
  static Surface* from(IDirectDrawSurface7* surface);
  Surface(DirectDraw* owner, int32_t width, int32_t height, const PixelLayout& layout, DWORD caps);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags,
                                LPDDBLTFX effects) override;
  HRESULT STDMETHODCALLTYPE BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect,
                                    DWORD transfer) override;
  HRESULT STDMETHODCALLTYPE Flip(LPDIRECTDRAWSURFACE7 target, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* attached) override;
  HRESULT STDMETHODCALLTYPE GetDC(HDC* dc) override;
  HRESULT STDMETHODCALLTYPE GetPixelFormat(LPDDPIXELFORMAT format) override;
  HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC2 desc) override;
  HRESULT STDMETHODCALLTYPE IsLost() override;
  HRESULT STDMETHODCALLTYPE Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) override;
  HRESULT STDMETHODCALLTYPE ReleaseDC(HDC dc) override;
  HRESULT STDMETHODCALLTYPE Restore() override;
  HRESULT STDMETHODCALLTYPE SetClipper(LPDIRECTDRAWCLIPPER clipper) override;
  HRESULT STDMETHODCALLTYPE SetColorKey(DWORD flags, LPDDCOLORKEY key) override;
  HRESULT STDMETHODCALLTYPE Unlock(LPRECT rect) override;

  void lose() override;
  // Makes this surface the front of a flipping chain with one back buffer.
  void attachBackBuffer(Surface* back);
  // Brings the memory of a held area up to date (see Held).
  void settleHeld();

 private:
  ~Surface();
  PixelBlock block();
  HRESULT busyOrLost() const;
  // The part of the surface a blit may write: the clipper's window on the screen, or all of it.
  RECT visibleArea() const;
  void fillDescription(DDSURFACEDESC2& desc) const;
  void fillPixelFormat(DDPIXELFORMAT& format) const;
  // Shows a primary surface's new content: the window's client area, or the full screen after a flip.
  void showOnScreen();
  // The window a primary surface without a back buffer shows in, if any, and
  // the part of its client area (client coordinates) that the surface covers.
  HWND__* shownWindow(RECT& area) const;
  // Called before the memory changes: windows that will not show the new
  // content over exactly what they showed from it take their pixels first,
  // and a held area is settled unless the write replaces it whole.
  void beforeWrite(bool replacesHeld = false);
  // A blit of another surface over exactly the client area of the window this
  // primary shows in: decoded straight into what the backend shows, and held
  // there. False when it is not such a blit (nothing done).
  bool presentStraight(const RECT& target, const RECT& clip, Surface& from, const RECT& area,
                       const KeyRange& key);

  // A primary's area, in surface coordinates, whose pixels are only in what
  // the backend shows of its window (client rows from contentTop, contentWidth
  // wide): each windowed frame then costs one pass from the back buffer to
  // the screen instead of two. The memory is written from there before
  // anything reads or changes it.
  struct Held {
    bool active = false;
    RECT area{};
    int32_t contentWidth = 0;
    int32_t contentTop = 0;
  };

  ULONG references_ = 1;
  DirectDraw* owner_;
  int32_t width_;
  int32_t height_;
  PixelLayout layout_;
  DWORD caps_;
  int32_t pitch_;
  std::vector<uint8_t> memory_;
  uint32_t generation_;
  bool lost_ = false;
  bool locked_ = false;
  HDC dc_ = nullptr;
  bool hasSourceKey_ = false;
  DDCOLORKEY sourceKey_{};
  Clipper* clipper_ = nullptr;
  Surface* back_ = nullptr;   // front of a flipping chain: its back buffer
  Surface* front_ = nullptr;  // back buffer: the front it is attached to
  Held held_;
};

}  // namespace portable
