// The message loop and the road of every frame: messages first; when none
// waits and the window is visible, compute, convert, compose and present the
// next frame.
#pragma once

#include "platform/win32.h"

namespace lumiscene {

class SaverWatch;

// Runs until the quit message (returning its parameter) or a fatal display failure (returning
// failureExitStatus). A screensaver passes what ends it: a message that ends the saver
// is not handled but destroys the window, which ends the loop as a normal close does.
int runMessageLoop(HWND window, HACCEL accelerators, const SaverWatch* saverWatch = nullptr);
// One pass of that loop: one message handled, one idle step, or one wait.
// False when the loop ends, with the loop's result in exitCode.
bool messageLoopStep(HWND window, HACCEL accelerators, int& exitCode, const SaverWatch* saverWatch = nullptr);
// The idle step: checks that the program still owns the display, then presents.
HRESULT displayNextFrame(HWND window);
HRESULT presentFrame();
// After surface loss: everything restored, the frame and labels drawn again.
HRESULT restoreSurfaces();

}  // namespace lumiscene
