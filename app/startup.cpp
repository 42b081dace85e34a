#include "app/startup.h"

#include "app/app_flags.h"
#include "app/clock.h"
#include "app/main_loop.h"
#include "app/main_window.h"
#include "display/display_depth.h"
#include "display/display_setup.h"
#include "display/labels.h"
#include "display/pixel_format.h"
#include "display/program_frames.h"
#include "pictures/embedded_pictures.h"
#include "scene/image.h"

namespace lumiscene {

HINSTANCE appInstance = nullptr;

void resetProgram() {
  resetDisplaySetup();
  resetMainWindowState();
  appActive = false;
  endingAfterFailure = false;
  appInstance = nullptr;
  clockState = ClockState{};
  readout = ReadoutState{};
  displayDepth = 0;
  pixelFormat = PixelFormat{};
  runningAsSaver = false;
  frameDriver = FrameDriver{programFrameHost()};
  saverDrift = PointerDrift{};
  picture1.reset();
  picture2.reset();
}

bool startUp(HINSTANCE instance, int showCommand, HWND& window, HACCEL& accelerators) {
  appInstance = instance;
  return loadPictures() && startWindowAndDisplay(instance, showCommand, window, accelerators);
}

bool startWindowAndDisplay(HINSTANCE instance, int showCommand, HWND& window, HACCEL& accelerators) {
  appInstance = instance;
  calibrateClock();
  buildCaptions();
  if (FAILED(createMainWindow(instance, showCommand, window, accelerators))) return false;
  if (SUCCEEDED(InitDirectDraw(window, windowed))) return true;
  windowed = !windowed;
  if (SUCCEEDED(InitDirectDraw(window, windowed))) return true;
  showErrorMessage(
      window,
      "DirectDraw init failed.\nPlease Install DirectX version 7.0 or later.\nThe program will now exit.\n");
  // Leave no display mode behind.
  releaseDisplay();
  return false;
}

int runLumiscene(HINSTANCE instance, int showCommand) {
  HWND window = nullptr;
  HACCEL accelerators = nullptr;
  if (!startUp(instance, showCommand, window, accelerators)) return failureExitStatus;
  return runMessageLoop(window, accelerators);
}

}  // namespace lumiscene
