#include "app/startup.h"

#include <cstdio>
#include <string>

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
#include "pictures/user_picture.h"
#include "scene/image.h"

namespace lumiscene {

HINSTANCE appInstance = nullptr;
bool refusedPicturesInBox = false;

void resetProgram() {
  resetDisplaySetup();
  resetMainWindowState();
  appActive = false;
  endingAfterFailure = false;
  appInstance = nullptr;
  refusedPicturesInBox = false;
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

bool loadProgramPictures(const char* program) {
  if (!loadPictures()) return false;
  // A picture of the user's that cannot be used is reported and the built-in
  // one stays: the animation goes on either way.
  for (const std::string& message : loadChosenPictures()) {
    if (refusedPicturesInBox) {
      const std::string text = message + ".\nThe built-in picture is shown instead.";
      showErrorMessage(nullptr, text.c_str());
    } else {
      std::fprintf(stderr, "%s: %s; the built-in picture is shown instead\n", program, message.c_str());
    }
  }
  return true;
}

void giveUpDisplay(HWND window) {
  showErrorMessage(
      window,
      "DirectDraw init failed.\nPlease Install DirectX version 7.0 or later.\nThe program will now exit.\n");
  // Leave no display mode behind.
  releaseDisplay();
}

bool startUp(HINSTANCE instance, int showCommand, HWND& window, HACCEL& accelerators) {
  appInstance = instance;
  return loadProgramPictures("lumiscene") && startWindowAndDisplay(instance, showCommand, window, accelerators);
}

bool startWindowAndDisplay(HINSTANCE instance, int showCommand, HWND& window, HACCEL& accelerators) {
  appInstance = instance;
  calibrateClock();
  buildCaptions();
  if (FAILED(createMainWindow(instance, showCommand, window, accelerators))) return false;
  if (SUCCEEDED(InitDirectDraw(window, windowed))) return true;
  windowed = !windowed;
  if (SUCCEEDED(InitDirectDraw(window, windowed))) return true;
  giveUpDisplay(window);
  return false;
}

int runLumiscene(HINSTANCE instance, int showCommand) {
  HWND window = nullptr;
  HACCEL accelerators = nullptr;
  if (!startUp(instance, showCommand, window, accelerators)) return failureExitStatus;
  return runMessageLoop(window, accelerators);
}

}  // namespace lumiscene
