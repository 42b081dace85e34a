// What the SDL backend's files share: the video subsystem, started on first
// need, the one window with its full-screen state and scale, how it is
// presented, and the few things only X11 itself can answer.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/portable/letterbox.h"

namespace sdl {

// Starts SDL's video once, on the desktop the environment names (DISPLAY,
// WAYLAND_DISPLAY) unless SDL_VIDEODRIVER chooses; false when there is none.
bool videoAvailable();
SDL_Window* window();
bool fullScreen();
// The whole factor the window's content is shown at: LUMISCENE_SCALE, else
// GDK_SCALE, else 1.
int32_t windowScale();
// Where the full-screen frame is on the window as it is now.
portable::Letterbox fullScreenBox();

// Presentation (sdl_present.cpp), chosen per machine when the window opens:
// a GPU renderer where there is a GPU, the window surface (memory copies)
// where OpenGL would only be a software rasteriser.
bool startPresenting();
void stopPresenting();
void present(const uint32_t* pixels, int32_t width, int32_t height);

// X11 (sdl_x11.cpp); elsewhere these report that they do not know.
// The pointer where the X server has it, warps included.
bool queryPointer(int32_t& x, int32_t& y);
// Whether a window manager runs (one that could make the window full-screen).
bool windowManagerRunning();
// The decorations' size left of and above the window's content; false when unknown.
bool frameExtents(int32_t& left, int32_t& top);

}  // namespace sdl
