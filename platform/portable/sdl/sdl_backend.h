// What the SDL backend's files share: the video subsystem, started on first
// need, and the one window with its full-screen state.
#pragma once

#include <SDL.h>

namespace sdl {

// Starts SDL's video once; false when there is no display to start it on.
bool videoAvailable();
SDL_Window* window();
bool fullScreen();
// Maps a position in the window to the full-screen frame (letterboxed and scaled) and back.
void windowToFrame(int x, int y, int& frameX, int& frameY);
void frameToWindow(int frameX, int frameY, int& x, int& y);

}  // namespace sdl
