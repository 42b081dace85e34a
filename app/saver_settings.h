// The screensaver's settings dialog (/c): the About lines and the two pictures
// the saver and the player show, each with its path and a Browse button
// opening the system's open-file dialog, and a button that goes back to the
// built-in pictures. OK stores the choice (picture_choice.h), Cancel leaves
// the stored one as it was.
//
// A file is tried when it is chosen: one the program would refuse is named in
// a message box with the reason, and the previous choice stays, so the user
// learns of it here rather than from a saver that cannot show a box.
#pragma once

#include "platform/win32.h"

namespace lumiscene {

// Shows the dialog, owned by the window given (or none); returns the exit code.
int runSaverSettings(HINSTANCE instance, HWND owner);

}  // namespace lumiscene
