// The frame driver's services on the headless backend, as the program gives
// them: the calibrated milliseconds clock, Sleep (which moves the virtual
// clock) and GetCursorPos (the scripted pointer).
#pragma once

#include "app/clock.h"
#include "platform/win32.h"
#include "scene/frame_driver.h"

namespace scene_test {

inline lumiscene::FrameHost headlessHost() {
  lumiscene::FrameHost host;
  host.milliseconds = lumiscene::millisecondsNow;
  host.sleep = [](uint32_t milliseconds) { Sleep(milliseconds); };
  host.readPointer = [](lumiscene::CursorPosition& position) {
    POINT point;
    if (!GetCursorPos(&point)) return false;
    position.x = point.x;
    position.y = point.y;
    return true;
  };
  return host;
}

}  // namespace scene_test
