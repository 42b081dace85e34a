// Start-up and shutdown: pictures, clock, captions, window, display, then the
// message loop until the program ends.
#pragma once

#include "platform/win32.h"

namespace lumiscene {

extern HINSTANCE appInstance;

// Where the start-up tells of a user's picture it refused before going on with
// the built-in one: on stderr for pictures named on the Linux command line, in
// the program's error box for those chosen in the Windows settings (a Windows
// program has no console to read).
extern bool refusedPicturesInBox;

// The whole program after the entry point; returns the process's exit code.
int runLumiscene(HINSTANCE instance, int showCommand);
// Its start-up alone: pictures, clock, captions, window and display. False when
// the program has to end (with failureExitStatus) instead of entering the message loop.
bool startUp(HINSTANCE instance, int showCommand, HWND& window, HACCEL& accelerators);
// Puts every global of the program back to its start state (display released,
// pictures dropped, flags and clock cleared), so that one process can run the
// program again, as tools and tests do after headless::reset().
void resetProgram();
// The built-in pictures, then the user's chosen ones over them; a refused one
// is told of (on stderr after "program: ", or in a box when refusedPicturesInBox)
// and its built-in picture stays. False only when the built-in ones fail.
bool loadProgramPictures(const char* program);
// The last word when no display can be set up at all: the error box, and the
// display released so that no changed mode stays behind.
void giveUpDisplay(HWND window);
// The part of the start-up after the pictures are loaded.
bool startWindowAndDisplay(HINSTANCE instance, int showCommand, HWND& window, HACCEL& accelerators);

}  // namespace lumiscene
