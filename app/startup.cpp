#include "app/startup.h"

#include "app/clock.h"
#include "app/main_loop.h"
#include "app/main_window.h"
#include "display/display_setup.h"
#include "display/labels.h"
#include "pictures/embedded_pictures.h"

namespace lumiscene {

HINSTANCE appInstance = nullptr;

int runLumiscene(HINSTANCE instance, int showCommand) {
  appInstance = instance;
  if (!loadPictures()) return 0;
  calibrateClock();
  buildCaptions();
  HWND window = nullptr;
  HACCEL accelerators = nullptr;
  if (FAILED(createMainWindow(instance, showCommand, window, accelerators))) return 0;
  if (FAILED(InitDirectDraw(window, windowed))) {
    windowed = !windowed;
    if (FAILED(InitDirectDraw(window, windowed))) {
      showErrorMessage(window,
                       "DirectDraw init failed.\nPlease Install DirectX version 7.0 or later.\nThe program will now exit.\n");
      // Leave no display mode behind.
      releaseDisplay();
      return 0;
    }
  }
  return runMessageLoop(window, accelerators);
}

}  // namespace lumiscene
