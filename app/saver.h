// lumiscene.scr: the program as a Windows screensaver. The command line picks
// the front end (saver_arguments.h): the full-screen saver, the preview drawn
// into the settings page's window, or the settings dialog. The first two run
// the player's own start-up, display and message loop with runningAsSaver set;
// they differ only in where they draw and what ends them (saver_watch.h).
#pragma once

#include "app/saver_watch.h"
#include "platform/win32.h"

namespace lumiscene {

// The whole screensaver after its entry point; returns the process's exit code.
int runScreenSaver(HINSTANCE instance, const char* commandLine);

// Start-up of the full-screen saver: a window over the whole screen in the
// player's full-screen mode, or scaled into that window when the mode cannot
// be had. False when it has to end (with failureExitStatus) instead of
// entering the loop; the watch then watches the user's input.
bool startFullScreenSaver(HINSTANCE instance, HWND& window, SaverWatch& watch);
// Start-up of the preview: a child window filling the parent's client area,
// the frame scaled into it; the watch waits for the parent to go.
bool startPreviewSaver(HINSTANCE instance, HWND parent, HWND& window, SaverWatch& watch);
// The settings dialog, owned by the window given or else the foreground
// window; returns the exit code.
int showSaverSettings(HINSTANCE instance, HWND owner);

}  // namespace lumiscene
