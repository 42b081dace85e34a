#include "display/program_frames.h"

#include "app/app_flags.h"
#include "app/clock.h"
#include "display/display_depth.h"
#include "pictures/embedded_pictures.h"
#include "platform/win32.h"

namespace lumiscene {

FrameHost programFrameHost() {
  FrameHost host;
  host.milliseconds = millisecondsNow;
  host.sleep = [](uint32_t milliseconds) { Sleep(milliseconds); };
  host.readPointer = [](CursorPosition& position) {
    if (runningAsSaver) {
      position = saverDrift.at(millisecondsNow());
      return true;
    }
    POINT point;
    if (!GetCursorPos(&point)) return false;
    position.x = point.x;
    position.y = point.y;
    return true;
  };
  return host;
}

FrameInputs programFrameInputs() { return {appActive, displayDepth, picture1.get(), picture2.get()}; }

FrameDriver frameDriver{programFrameHost()};
PointerDrift saverDrift;

}  // namespace lumiscene
