// IDirectDrawClipper: clipping to one window's client area.
//
// Results: SetHWnd gives DDERR_INVALIDPARAMS for non-zero flags or a handle
// that is not a window (null detaches).
#include <algorithm>
#include <vector>

#include "platform/portable/ddraw_internal.h"
#include "platform/portable/lasting.h"
#include "platform/portable/user.h"

namespace portable {

namespace {

std::vector<Clipper*>& liveClippers = lasting<std::vector<Clipper*>>();

}  // namespace

Clipper* Clipper::from(IDirectDrawClipper* clipper) {
  for (Clipper* live : liveClippers)
    if (static_cast<IDirectDrawClipper*>(live) == clipper) return live;
  return nullptr;
}

Clipper::Clipper() { liveClippers.push_back(this); }

Clipper::~Clipper() {
  liveClippers.erase(std::remove(liveClippers.begin(), liveClippers.end(), this), liveClippers.end());
}

HRESULT Clipper::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!(riid == IID_IUnknown) && !(riid == IID_IDirectDrawClipper)) return E_NOINTERFACE;
  AddRef();
  *object = static_cast<IDirectDrawClipper*>(this);
  return S_OK;
}

ULONG Clipper::AddRef() { return ++references_; }

ULONG Clipper::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT Clipper::SetHWnd(DWORD flags, HWND window) {
  if (flags != 0 || (window != nullptr && !IsWindow(window))) return DDERR_INVALIDPARAMS;
  if (const HRESULT fault = injectedFailure("SetHWnd"); fault != 0) return fault;
  window_ = window;
  return DD_OK;
}

}  // namespace portable
