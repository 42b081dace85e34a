// The xscreensaver hack's command line: where it draws, the user's pictures
// and what else it was asked. The forms are xscreensaver's (-window-id, -root, one dash) and ours
// (two dashes); the XSCREENSAVER_WINDOW variable is how xscreensaver names
// the window it made for the hack, in full-screen and in its preview alike.
#pragma once

#include <string>

#include "platform/portable/picture_options.h"

namespace portable {

struct SaverCommand {
  enum class Action { Run, Help, Version, Refuse };
  enum class Place {
    OwnWindow,  // none named: a window of its own, as a hack opens for trying it out
    Window,     // windowId: another program's window
    Root        // the screen's root window
  };
  Action action = Action::Run;
  Place place = Place::OwnWindow;
  unsigned long windowId = 0;
  // --picture1 and --picture2, as the player takes them.
  PictureFiles pictures;
  // Refuse: the line that says why (without the program's name).
  std::string complaint;
};

// An X window number as xscreensaver and xwininfo print them: decimal or
// 0x hex, not zero, nothing after it. False when text is none.
bool parseWindowId(const char* text, unsigned long& id);

// arguments: argv without the program's name. environmentWindow: the value of
// XSCREENSAVER_WINDOW, or null. A named window wins over the variable, and the
// variable over the root; --help and --version answer whatever else is there.
SaverCommand parseSaverCommand(int count, const char* const* arguments, const char* environmentWindow);

}  // namespace portable
