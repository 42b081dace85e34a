// What ends a screensaver's message loop, besides its window closing: for the
// full-screen saver the user's input (a key, a button, the pointer moved more
// than a few pixels), for the preview the settings page's window going away.
#pragma once

#include "platform/win32.h"

namespace lumiscene {

class SaverWatch {
public:
  // Pointer moves up to this many pixels (across or down) from the start are
  // jitter of a mouse on a desk, not a user who came back.
  static constexpr LONG pointerSlack = 4;

  // Input ends the saver from now on; pointer moves count from the given position.
  void watchInput(POINT pointerStart);
  // The saver ends once this window no longer exists.
  void watchParent(HWND parent);

  // Whether the message the loop took ends the saver; it is then not handled.
  bool endsSaver(const MSG& message) const;
  bool parentGone() const;

private:
  bool inputWatched_ = false;
  POINT pointerStart_{0, 0};
  HWND parent_ = nullptr;
};

}  // namespace lumiscene
