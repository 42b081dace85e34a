// IDirectDrawSurface7 in system memory.
//
// Results, besides those of injected faults:
//   every drawing call: DDERR_SURFACELOST while lost (after a mode change or a
//     test's loss, until Restore), DDERR_SURFACEBUSY while locked or while its
//     device context is out.
//   Blt: DDERR_INVALIDPARAMS (no source and no colour fill, a DDBLTFX of the
//     wrong size), DDERR_INVALIDRECT (rectangles inverted or, without a
//     clipper, outside the surface), DDERR_NOCOLORKEY (DDBLT_KEYSRC without a key).
//   BltFast: DDERR_INVALIDPARAMS, DDERR_BLTFASTCANTCLIP (a clipper is attached),
//     DDERR_INVALIDRECT (any part outside either surface), DDERR_NOCOLORKEY.
//   Flip: DDERR_NOTFLIPPABLE (not the front of a chain), DDERR_INVALIDPARAMS,
//     DDERR_NOEXCLUSIVEMODE (exclusive mode lost).
//   Lock: DDERR_INVALIDPARAMS (no description or one of the wrong size),
//     DDERR_INVALIDRECT; Unlock: DDERR_NOTLOCKED.
//   GetDC: DDERR_INVALIDPARAMS, DDERR_DCALREADYCREATED; ReleaseDC: DDERR_NODC,
//     DDERR_INVALIDPARAMS (another context).
//   GetPixelFormat, GetSurfaceDesc: DDERR_INVALIDPARAMS (no structure or a size field that is not its size).
//   GetAttachedSurface: DDERR_INVALIDPARAMS, DDERR_NOTFOUND.
//   SetColorKey: DDERR_UNSUPPORTED for any key but the source blit key.
//   Restore: DDERR_WRONGMODE when the display mode changed since the surface
//     was made; DDERR_NOEXCLUSIVEMODE while another program holds the display.
//     A restored surface's content is gone (black).
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/portable/backend.h"
#include "platform/portable/ddraw_internal.h"
#include "platform/portable/gdi_internal.h"
#include "platform/portable/lasting.h"
#include "platform/portable/window_internal.h"

namespace portable {

namespace {

std::vector<Surface*>& liveSurfaces = lasting<std::vector<Surface*>>();
// The surface with a held area, if any: there is one window content to hold it.
Surface* heldSurface = nullptr;

bool validRect(const RECT& rect, int32_t width, int32_t height) {
  return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
         rect.right <= width && rect.bottom <= height;
}

RECT intersect(const RECT& a, const RECT& b) {
  RECT result = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
  if (result.right < result.left) result.right = result.left;
  if (result.bottom < result.top) result.bottom = result.top;
  return result;
}

KeyRange rangeOf(const DDCOLORKEY& key, const PixelLayout& layout) {
  const uint32_t mask = layout.valueMask();
  return {true, key.dwColorSpaceLowValue & mask,
          std::max(key.dwColorSpaceLowValue, key.dwColorSpaceHighValue) & mask};
}

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

void settleHeldPixels() {
  if (heldSurface != nullptr) heldSurface->settleHeld();
}

Surface* Surface::from(IDirectDrawSurface7* surface) {
  for (Surface* live : liveSurfaces)
    if (static_cast<IDirectDrawSurface7*>(live) == surface) return live;
  return nullptr;
}

Surface::Surface(DirectDraw* owner, int32_t width, int32_t height, const PixelLayout& layout, DWORD caps)
    : owner_(owner),
      width_(width),
      height_(height),
      layout_(layout),
      caps_(caps),
      // Rows start on 8-byte boundaries, so callers must honour the pitch.
      pitch_((width * layout.bytesPerPixel() + 7) / 8 * 8),
      memory_(static_cast<size_t>(pitch_) * height, 0),
      generation_(display().generation) {
  liveSurfaces.push_back(this);
  trackSurface(this);
  owner_->surfaceCreated(this);
}

Surface::~Surface() {
  settleHeld();
  settleClientsOf(this);
  untrackSurface(this);
  liveSurfaces.erase(std::remove(liveSurfaces.begin(), liveSurfaces.end(), this), liveSurfaces.end());
}

void Surface::attachBackBuffer(Surface* back) {
  back_ = back;
  back->front_ = this;
  caps_ |= DDSCAPS_FRONTBUFFER | DDSCAPS_VISIBLE;
}

HRESULT Surface::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!(riid == IID_IUnknown) && !(riid == IID_IDirectDrawSurface7)) return E_NOINTERFACE;
  AddRef();
  *object = static_cast<IDirectDrawSurface7*>(this);
  return S_OK;
}

ULONG Surface::AddRef() { return ++references_; }

ULONG Surface::Release() {
  const ULONG left = --references_;
  if (left != 0) return left;
  // The front of a chain owns its back buffer's last reference.
  if (back_ != nullptr) {
    back_->front_ = nullptr;
    back_->Release();
  }
  if (clipper_ != nullptr) clipper_->Release();
  if (dc_ != nullptr) destroyDC(dc_);
  if (caps_ & DDSCAPS_PRIMARYSURFACE) owner_->primaryDestroyed();
  owner_->surfaceDestroyed(this);
  delete this;
  return 0;
}

void Surface::lose() {
  settleHeld();
  settleClientsOf(this);
  lost_ = true;
  std::fill(memory_.begin(), memory_.end(), 0);
}

PixelBlock Surface::block() { return {memory_.data(), pitch_, width_, height_, layout_}; }

HRESULT Surface::busyOrLost() const {
  if (lost_) return DDERR_SURFACELOST;
  if (locked_ || dc_ != nullptr) return DDERR_SURFACEBUSY;
  return DD_OK;
}

RECT Surface::visibleArea() const {
  const RECT whole = {0, 0, width_, height_};
  if (clipper_ == nullptr || clipper_->window() == nullptr) return whole;
  const HWND__* window = findWindow(clipper_->window());
  if (window == nullptr || !window->visible || window->minimised) return {0, 0, 0, 0};
  return intersect(whole, clientRectOnScreen(*window));
}

void Surface::showOnScreen() {
  if (!(caps_ & DDSCAPS_PRIMARYSURFACE)) return;
  if (back_ != nullptr) {
    static std::vector<uint32_t>& frame = lasting<std::vector<uint32_t>>();
    frame.resize(static_cast<size_t>(width_) * height_);
    const RowDecoder decoder(layout_);
    for (int32_t y = 0; y < height_; ++y)
      decoder.decode(memory_.data() + static_cast<ptrdiff_t>(y) * pitch_,
                     frame.data() + static_cast<ptrdiff_t>(y) * width_, width_);
    backend::presentFullScreen(frame, width_, height_);
    return;
  }
  RECT area;
  HWND__* window = shownWindow(area);
  if (window == nullptr) return;
  fitClientPixels(*window);
  // The window reads its client pixels from this memory until it changes
  // (beforeWrite): presenting converts them once, straight into what is shown.
  if (window->shownFrom.surface != nullptr && window->shownFrom.surface != this) settleClientPixels(*window);
  const RECT client = clientRectOnScreen(*window);
  window->shownFrom = {this,
                       memory_.data() + static_cast<ptrdiff_t>(area.top + client.top) * pitch_ +
                           static_cast<ptrdiff_t>(area.left + client.left) * layout_.bytesPerPixel(),
                       pitch_, layout_, area};
  presentWindow(*window);
}

HWND__* Surface::shownWindow(RECT& area) const {
  if (!(caps_ & DDSCAPS_PRIMARYSURFACE) || back_ != nullptr) return nullptr;
  HWND__* window =
      clipper_ != nullptr && clipper_->window() != nullptr ? findWindow(clipper_->window()) : screenWindow();
  if (window == nullptr || !window->visible) return nullptr;
  const RECT client = clientRectOnScreen(*window);
  const RECT shown = intersect(client, {0, 0, width_, height_});
  area = {shown.left - client.left, shown.top - client.top, shown.right - client.left,
          shown.bottom - client.top};
  return window;
}

void Surface::settleHeld() {
  if (!held_.active) return;
  held_.active = false;
  if (heldSurface == this) heldSurface = nullptr;
  const std::vector<uint32_t>* shown = backend::windowPixelsShown();
  const int32_t columns = held_.area.right - held_.area.left;
  const int32_t rows = held_.area.bottom - held_.area.top;
  if (shown == nullptr || columns > held_.contentWidth ||
      shown->size() < static_cast<size_t>(held_.contentTop + rows) * held_.contentWidth)
    return;
  for (int32_t k = 0; k < rows; ++k)
    std::memcpy(memory_.data() + static_cast<ptrdiff_t>(held_.area.top + k) * pitch_ +
                    static_cast<ptrdiff_t>(held_.area.left) * 4,
                shown->data() + static_cast<ptrdiff_t>(held_.contentTop + k) * held_.contentWidth,
                static_cast<size_t>(columns) * 4);
}

bool Surface::presentStraight(const RECT& target, const RECT& clip, Surface& from, const RECT& area,
                              const KeyRange& key) {
  const PixelLayout usual = standardLayout(32);
  if (!(caps_ & DDSCAPS_PRIMARYSURFACE) || back_ != nullptr || &from == this || key.active ||
      !(layout_ == usual) || !(from.layout_ == usual) ||
      area.right - area.left != target.right - target.left ||
      area.bottom - area.top != target.bottom - target.top)
    return false;
  RECT shownArea;
  HWND__* window = shownWindow(shownArea);
  if (window == nullptr || window->dialog != nullptr || !window->alive || !window->onScreen) return false;
  fitClientPixels(*window);
  const RECT client = clientRectOnScreen(*window);
  // The blit writes exactly the whole client area, which lies on the surface whole.
  if (!sameRect(shownArea, {0, 0, window->clientWidth, window->clientHeight}) || !sameRect(clip, target) ||
      !sameRect(target, client))
    return false;

  beforeWrite(true);
  // What the backend shows is about to change: a hold this blit replaces whole
  // is dropped, any other goes into its surface's memory first.
  if (heldSurface == this && sameRect(held_.area, target)) {
    held_.active = false;
    heldSurface = nullptr;
  } else {
    settleHeldPixels();
  }
  if (window->shownFrom.surface != nullptr && window->shownFrom.surface != this) settleClientPixels(*window);
  window->shownFrom = {this,
                       memory_.data() + static_cast<ptrdiff_t>(target.top) * pitch_ +
                           static_cast<ptrdiff_t>(target.left) * layout_.bytesPerPixel(),
                       pitch_, layout_, shownArea};
  const ClientSource drawn{&from,
                           from.memory_.data() + static_cast<ptrdiff_t>(area.top) * from.pitch_ +
                               static_cast<ptrdiff_t>(area.left) * from.layout_.bytesPerPixel(),
                           from.pitch_, from.layout_, shownArea};
  if (presentWindowFrom(*window, drawn)) {
    held_ = {true, target, window->clientWidth, menuHeight(*window)};
    heldSurface = this;
  } else {
    // Something lies over the client area as shown, or the source had bits the
    // screen drops: the memory takes the pixels now.
    PixelBlock pixels = block();
    copyBlock(pixels, target, clip, from.block(), area, key);
  }
  return true;
}

void Surface::beforeWrite(bool replacesHeld) {
  if (!replacesHeld) settleHeld();
  if (!(caps_ & DDSCAPS_PRIMARYSURFACE)) return;
  RECT area;
  const HWND__* window = shownWindow(area);
  // The window that will show this write over the same area of a client area
  // of the same size keeps reading; everyone else takes the old pixels now.
  if (window != nullptr) {
    const RECT client = clientRectOnScreen(*window);
    const ClientSource& shown = window->shownFrom;
    const bool same = shown.surface == this && shown.area.left == area.left && shown.area.top == area.top &&
                      shown.area.right == area.right && shown.area.bottom == area.bottom &&
                      window->clientWidth == client.right - client.left &&
                      window->clientHeight == client.bottom - client.top;
    if (!same) window = nullptr;
  }
  settleClientsOf(this, window);
}

HRESULT Surface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags,
                     LPDDBLTFX effects) {
  if (const HRESULT fault = injectedFailure("Blt"); fault != 0) return fault;
  if (const HRESULT state = busyOrLost(); state != DD_OK) return state;
  const RECT whole = {0, 0, width_, height_};
  const RECT target = destRect != nullptr ? *destRect : whole;
  if (target.left > target.right || target.top > target.bottom) return DDERR_INVALIDRECT;
  if (clipper_ == nullptr && !validRect(target, width_, height_)) return DDERR_INVALIDRECT;
  const RECT clip = intersect(visibleArea(), target);
  PixelBlock pixels = block();
  if (flags & DDBLT_COLORFILL) {
    if (effects == nullptr || effects->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;
    beforeWrite();
    fillBlock(pixels, clip, effects->dwFillColor & layout_.valueMask());
  } else {
    Surface* from = Surface::from(source);
    if (from == nullptr) return DDERR_INVALIDPARAMS;
    if (from->lost_) return DDERR_SURFACELOST;
    if (from != this && (from->locked_ || from->dc_ != nullptr)) return DDERR_SURFACEBUSY;
    const RECT area = sourceRect != nullptr ? *sourceRect : RECT{0, 0, from->width_, from->height_};
    if (!validRect(area, from->width_, from->height_)) return DDERR_INVALIDRECT;
    from->settleHeld();
    KeyRange key;
    if (flags & DDBLT_KEYSRCOVERRIDE) {
      if (effects == nullptr || effects->dwSize != sizeof(DDBLTFX)) return DDERR_INVALIDPARAMS;
      key = rangeOf(effects->ddckSrcColorkey, from->layout_);
    } else if (flags & DDBLT_KEYSRC) {
      if (!from->hasSourceKey_) return DDERR_NOCOLORKEY;
      key = rangeOf(from->sourceKey_, from->layout_);
    }
    if (presentStraight(target, clip, *from, area, key)) return DD_OK;
    beforeWrite();
    copyBlock(pixels, target, clip, from->block(), area, key);
  }
  showOnScreen();
  return DD_OK;
}

HRESULT Surface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD transfer) {
  if (const HRESULT fault = injectedFailure("BltFast"); fault != 0) return fault;
  Surface* from = Surface::from(source);
  if (from == nullptr || (transfer & DDBLTFAST_SRCCOLORKEY && transfer & DDBLTFAST_DESTCOLORKEY))
    return DDERR_INVALIDPARAMS;
  if (const HRESULT state = busyOrLost(); state != DD_OK) return state;
  if (from->lost_) return DDERR_SURFACELOST;
  if (from != this && (from->locked_ || from->dc_ != nullptr)) return DDERR_SURFACEBUSY;
  if (clipper_ != nullptr) return DDERR_BLTFASTCANTCLIP;
  const RECT area = sourceRect != nullptr ? *sourceRect : RECT{0, 0, from->width_, from->height_};
  if (!validRect(area, from->width_, from->height_)) return DDERR_INVALIDRECT;
  if (x > static_cast<DWORD>(width_) || y > static_cast<DWORD>(height_)) return DDERR_INVALIDRECT;
  const RECT target = {static_cast<LONG>(x), static_cast<LONG>(y),
                       static_cast<LONG>(x) + area.right - area.left,
                       static_cast<LONG>(y) + area.bottom - area.top};
  if (!validRect(target, width_, height_)) return DDERR_INVALIDRECT;
  KeyRange key;
  if (transfer & DDBLTFAST_SRCCOLORKEY) {
    if (!from->hasSourceKey_) return DDERR_NOCOLORKEY;
    key = rangeOf(from->sourceKey_, from->layout_);
  }
  PixelBlock pixels = block();
  from->settleHeld();
  beforeWrite();
  copyBlock(pixels, target, target, from->block(), area, key);
  showOnScreen();
  return DD_OK;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE7 target, DWORD) {
  if (const HRESULT fault = injectedFailure("Flip"); fault != 0) return fault;
  if (back_ == nullptr) return DDERR_NOTFLIPPABLE;
  if (target != nullptr && Surface::from(target) != back_) return DDERR_INVALIDPARAMS;
  if (const HRESULT state = busyOrLost(); state != DD_OK) return state;
  if (const HRESULT state = back_->busyOrLost(); state != DD_OK) return state;
  if (display().exclusiveOwner != owner_ || backend::exclusiveModeHeldElsewhere())
    return DDERR_NOEXCLUSIVEMODE;
  std::swap(memory_, back_->memory_);
  showOnScreen();
  return DD_OK;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* attached) {
  if (caps == nullptr || attached == nullptr) return DDERR_INVALIDPARAMS;
  *attached = nullptr;
  if (const HRESULT fault = injectedFailure("GetAttachedSurface"); fault != 0) return fault;
  if (back_ == nullptr || (caps->dwCaps & ~(DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_3DDEVICE)) != 0 ||
      !(caps->dwCaps & (DDSCAPS_BACKBUFFER | DDSCAPS_FLIP)))
    return DDERR_NOTFOUND;
  back_->AddRef();
  *attached = back_;
  return DD_OK;
}

HRESULT Surface::GetDC(HDC* dc) {
  if (dc == nullptr) return DDERR_INVALIDPARAMS;
  *dc = nullptr;
  if (const HRESULT fault = injectedFailure("GetDC"); fault != 0) return fault;
  if (lost_) return DDERR_SURFACELOST;
  if (dc_ != nullptr) return DDERR_DCALREADYCREATED;
  if (locked_) return DDERR_SURFACEBUSY;
  beforeWrite();
  dc_ = makeSurfaceDC({memory_.data(), pitch_, width_, height_, layout_});
  *dc = dc_;
  return DD_OK;
}

void Surface::fillPixelFormat(DDPIXELFORMAT& format) const {
  format = DDPIXELFORMAT{};
  format.dwSize = sizeof(DDPIXELFORMAT);
  format.dwRGBBitCount = static_cast<DWORD>(layout_.bitsPerPixel);
  if (layout_.bitsPerPixel == 8) {
    format.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    return;
  }
  format.dwFlags = DDPF_RGB;
  format.dwRBitMask = layout_.redMask;
  format.dwGBitMask = layout_.greenMask;
  format.dwBBitMask = layout_.blueMask;
}

void Surface::fillDescription(DDSURFACEDESC2& desc) const {
  desc = DDSURFACEDESC2{};
  desc.dwSize = sizeof(DDSURFACEDESC2);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc.dwWidth = static_cast<DWORD>(width_);
  desc.dwHeight = static_cast<DWORD>(height_);
  desc.lPitch = pitch_;
  if (back_ != nullptr) {
    desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
  }
  if (hasSourceKey_) {
    desc.dwFlags |= DDSD_CKSRCBLT;
    desc.ddckCKSrcBlt = sourceKey_;
  }
  fillPixelFormat(desc.ddpfPixelFormat);
  desc.ddsCaps.dwCaps = caps_ | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
}

HRESULT Surface::GetPixelFormat(LPDDPIXELFORMAT format) {
  if (format == nullptr || format->dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDPARAMS;
  if (const HRESULT fault = injectedFailure("GetPixelFormat"); fault != 0) return fault;
  fillPixelFormat(*format);
  return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC2 desc) {
  if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (const HRESULT fault = injectedFailure("GetSurfaceDesc"); fault != 0) return fault;
  fillDescription(*desc);
  return DD_OK;
}

HRESULT Surface::IsLost() { return lost_ ? DDERR_SURFACELOST : DD_OK; }

HRESULT Surface::Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD, HANDLE) {
  if (desc == nullptr || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (const HRESULT fault = injectedFailure("Lock"); fault != 0) return fault;
  if (const HRESULT state = busyOrLost(); state != DD_OK) return state;
  const RECT area = rect != nullptr ? *rect : RECT{0, 0, width_, height_};
  if (!validRect(area, width_, height_)) return DDERR_INVALIDRECT;
  beforeWrite();
  fillDescription(*desc);
  desc->dwFlags |= DDSD_LPSURFACE;
  desc->lpSurface = memory_.data() + static_cast<ptrdiff_t>(area.top) * pitch_ +
                    static_cast<ptrdiff_t>(area.left) * layout_.bytesPerPixel();
  locked_ = true;
  return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC dc) {
  if (dc_ == nullptr) return DDERR_NODC;
  if (dc != dc_) return DDERR_INVALIDPARAMS;
  if (const HRESULT fault = injectedFailure("ReleaseDC"); fault != 0) return fault;
  destroyDC(dc_);
  dc_ = nullptr;
  showOnScreen();
  return DD_OK;
}

HRESULT Surface::Restore() {
  if (const HRESULT fault = injectedFailure("Restore"); fault != 0) return fault;
  if (!lost_) return DD_OK;
  if (generation_ != display().generation) return DDERR_WRONGMODE;
  if (owner_->exclusive() && backend::exclusiveModeHeldElsewhere()) return DDERR_NOEXCLUSIVEMODE;
  if (caps_ & DDSCAPS_PRIMARYSURFACE) {
    width_ = display().width;
    height_ = display().height;
    layout_ = display().layout;
    pitch_ = (width_ * layout_.bytesPerPixel() + 7) / 8 * 8;
  }
  settleClientsOf(this);
  memory_.assign(static_cast<size_t>(pitch_) * height_, 0);
  generation_ = display().generation;
  lost_ = false;
  return DD_OK;
}

HRESULT Surface::SetClipper(LPDIRECTDRAWCLIPPER clipper) {
  if (const HRESULT fault = injectedFailure("SetClipper"); fault != 0) return fault;
  Clipper* attached = nullptr;
  if (clipper != nullptr) {
    attached = Clipper::from(clipper);
    if (attached == nullptr) return DDERR_INVALIDPARAMS;
    attached->AddRef();
  }
  if (clipper_ != nullptr) clipper_->Release();
  clipper_ = attached;
  return DD_OK;
}

HRESULT Surface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
  // Only the source key for blits exists here; the program uses no other.
  if ((flags & ~static_cast<DWORD>(DDCKEY_COLORSPACE)) != DDCKEY_SRCBLT) return DDERR_UNSUPPORTED;
  if (const HRESULT fault = injectedFailure("SetColorKey"); fault != 0) return fault;
  if (lost_) return DDERR_SURFACELOST;
  hasSourceKey_ = key != nullptr;
  sourceKey_ = {};
  if (key != nullptr) {
    sourceKey_ = *key;
    // A single key (no colour space) is its low value alone.
    if (!(flags & DDCKEY_COLORSPACE)) sourceKey_.dwColorSpaceHighValue = sourceKey_.dwColorSpaceLowValue;
  }
  return DD_OK;
}

HRESULT Surface::Unlock(LPRECT) {
  if (!locked_) return DDERR_NOTLOCKED;
  locked_ = false;
  showOnScreen();
  return DD_OK;
}

}  // namespace portable
