// The display the portable DirectDraw draws on: the desktop's description, the
// current mode (the desktop's, or one a full-screen program set), the program
// holding exclusive mode, and the surfaces that a mode change loses.
#pragma once

#include <cstdint>

#include "platform/portable/backend.h"
#include "platform/portable/pixel_layout.h"
#include "platform/portable/win32_types.h"

namespace portable {

struct DisplayState {
  backend::Desktop desktop;
  int32_t width = 0;
  int32_t height = 0;
  PixelLayout layout;
  bool desktopMode = true;
  // Counts mode changes; a surface made under another count is of the wrong mode.
  uint32_t generation = 1;
  // The DirectDraw object with exclusive full-screen access, if any.
  const void* exclusiveOwner = nullptr;
};

// The display, described by the backend on first use.
DisplayState& display();
// The work area: the desktop's, or the whole screen in a set mode.
RECT workArea();

// A full-screen program's mode, and the way back to the desktop's.
void setDisplayMode(int32_t width, int32_t height, const PixelLayout& layout);
void restoreDesktopMode();
// The desktop changed under the program (another program, or a test): every surface is lost.
void desktopChanged(const backend::Desktop& desktop);

// The backend's description read again without a change of mode (headless tests adjusting the desktop).
void describeDesktopAgain();

// Surfaces register so that a mode change or a test can take their memory away.
class LosableSurface {
 public:
  virtual void lose() = 0;

 protected:
  ~LosableSurface() = default;
};
void trackSurface(LosableSurface* surface);
void untrackSurface(LosableSurface* surface);
void loseAllSurfaces();

// Forgets the display's state (headless reset).
void resetDisplay();

}  // namespace portable
