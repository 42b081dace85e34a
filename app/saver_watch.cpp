#include "app/saver_watch.h"

namespace lumiscene {

namespace {

// Not in every header set the program builds against; Windows numbers them so.
constexpr UINT mouseWheelMessage = 0x020A;
constexpr UINT extraButtonDownMessage = 0x020B;

LONG distance(LONG a, LONG b) { return a > b ? a - b : b - a; }

}  // namespace

void SaverWatch::watchInput(POINT pointerStart) {
  inputWatched_ = true;
  pointerStart_ = pointerStart;
}

void SaverWatch::watchParent(HWND parent) { parent_ = parent; }

bool SaverWatch::endsSaver(const MSG& message) const {
  if (!inputWatched_) return false;
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case extraButtonDownMessage:
    case mouseWheelMessage:
      return true;
    case WM_MOUSEMOVE:
      // The message's own screen position: the window's client origin may
      // have moved with a mode change, the screen has not.
      return distance(message.pt.x, pointerStart_.x) > pointerSlack ||
             distance(message.pt.y, pointerStart_.y) > pointerSlack;
    default:
      return false;
  }
}

bool SaverWatch::parentGone() const { return parent_ != nullptr && !IsWindow(parent_); }

}  // namespace lumiscene
