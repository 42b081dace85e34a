// Flags the main window sets and the rest of the program reads, all on the one thread.
#pragma once

namespace lumiscene {

// The main window is active and not minimised; the frame driver paces and pans by it.
extern bool appActive;

}  // namespace lumiscene
