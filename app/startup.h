// Start-up and shutdown: pictures, clock, captions, window, display, then the
// message loop until the program ends.
#pragma once

#include "platform/win32.h"

namespace lumiscene {

extern HINSTANCE appInstance;

// The whole program after the entry point; returns the process's exit code.
int runLumiscene(HINSTANCE instance, int showCommand);

}  // namespace lumiscene
