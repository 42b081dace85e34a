#include "app/saver.h"

#include <string>

#include "app/app_flags.h"
#include "app/clock.h"
#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/picture_choice.h"
#include "app/saver_arguments.h"
#include "app/saver_settings.h"
#include "app/startup.h"
#include "display/display_setup.h"
#include "display/labels.h"

namespace lumiscene {

namespace {

bool prepareProgram(HINSTANCE instance) {
  runningAsSaver = true;
  appInstance = instance;
  useStoredPictureChoice();
  // Nobody may have to answer a box before a saver ends, so a refused picture
  // is only noted; the settings dialog is where the user sees the refusal.
  refusedPicturesInBox = false;
  if (!loadProgramPictures("lumiscene.scr")) return false;
  calibrateClock();
  buildCaptions();
  return true;
}

RECT wholeScreen() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

HWND windowFromArgument(uintptr_t number) { return reinterpret_cast<HWND>(number); }

}  // namespace

bool startFullScreenSaver(HINSTANCE instance, HWND& window, SaverWatch& watch) {
  if (!prepareProgram(instance)) return false;
  if (FAILED(
          createSaverWindow(instance, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, wholeScreen(), nullptr, window)))
    return false;
  windowed = false;
  if (FAILED(InitDirectDraw(window, windowed))) {
    // Without the player's full-screen mode the frame is scaled into the
    // window, which first has to cover the desktop's own mode again.
    releaseDisplay();
    const RECT screen = wholeScreen();
    SetWindowPos(window, HWND_TOPMOST, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top, SWP_NOACTIVATE | SWP_FRAMECHANGED);
    windowed = true;
    scaledToWindow = true;
    if (FAILED(InitDirectDraw(window, windowed))) {
      giveUpDisplay(window);
      return false;
    }
  }
  // Pointer moves that were queued before the set-up are not the user coming
  // back: the pointer was still where it stood before the saver started.
  MSG stale;
  while (PeekMessageA(&stale, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
  }
  // Counted from where the set-up left the pointer, so that the move the
  // full-screen set-up makes itself ends nothing.
  POINT pointer{0, 0};
  GetCursorPos(&pointer);
  watch.watchInput(pointer);
  return true;
}

bool startPreviewSaver(HINSTANCE instance, HWND parent, HWND& window, SaverWatch& watch) {
  RECT area{0, 0, 0, 0};
  if (!IsWindow(parent) || !GetClientRect(parent, &area)) return false;
  if (!prepareProgram(instance)) return false;
  if (FAILED(createSaverWindow(instance, WS_CHILD | WS_VISIBLE, 0, area, parent, window))) return false;
  // A child window is never activated, but the preview must pace and drift
  // as the full-screen saver does.
  appActive = true;
  windowed = true;
  scaledToWindow = true;
  // No message box: the preview is a small picture in someone else's dialog,
  // which goes on without it.
  if (FAILED(InitDirectDraw(window, windowed))) {
    releaseDisplay();
    DestroyWindow(window);
    return false;
  }
  watch.watchParent(parent);
  return true;
}

int showSaverSettings(HINSTANCE instance, HWND owner) {
  // As Windows does for a saver asked for its settings without a window.
  if (owner == nullptr || !IsWindow(owner)) owner = GetForegroundWindow();
  return runSaverSettings(instance, owner);
}

int runScreenSaver(HINSTANCE instance, const char* commandLine) {
  const SaverArguments arguments = parseSaverArguments(commandLine);
  HWND window = nullptr;
  SaverWatch watch;
  switch (arguments.mode) {
    case SaverMode::fullScreen:
      if (!startFullScreenSaver(instance, window, watch)) return failureExitStatus;
      return runMessageLoop(window, nullptr, &watch);
    case SaverMode::preview:
      if (!startPreviewSaver(instance, windowFromArgument(arguments.window), window, watch))
        return failureExitStatus;
      return runMessageLoop(window, nullptr, &watch);
    case SaverMode::settings:
      return showSaverSettings(instance, windowFromArgument(arguments.window));
    case SaverMode::unknown:
      break;
  }
  const std::string text =
      "Unknown argument \"" + arguments.argument +
      "\".\nUse /s to start the screensaver, /p HWND for its preview or /c for its settings.";
  showErrorMessage(nullptr, text.c_str());
  return failureExitStatus;
}

}  // namespace lumiscene
