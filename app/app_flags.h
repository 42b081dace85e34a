// Flags the main window sets and the rest of the program reads, all on the one thread.
#pragma once

namespace lumiscene {

// The main window is active and not minimised; the frame driver paces and pans by it.
extern bool appActive;

// The program runs as a screensaver: no menu, no player keys or clicks, and
// the panorama drifts by itself instead of following the pointer.
extern bool runningAsSaver;

// The process's exit status when the program ends because something failed; a
// normal end (Esc, Alt+X, File -> Exit, the close box) gives 0. Scripts and
// service managers can only tell the two apart by it.
constexpr int failureExitStatus = 1;
// Set when a failure closes the main window, so that its quit message carries failureExitStatus.
extern bool endingAfterFailure;

}  // namespace lumiscene
