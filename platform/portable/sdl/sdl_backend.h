// What the SDL backend's files share: the video subsystem, started on first
// need, the one window with its full-screen state and scale, how it is
// presented, the few things only X11 itself can answer, and where a
// screensaver's window goes.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/portable/backend.h"
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

// The screensaver's window (sdl_host.cpp). Chosen before the window opens;
// by default the window is the player's.
enum class Placement {
  Player,     // the player's window: its content's size times the scale
  OwnWindow,  // a resizable window the frame is fitted into
  Host,       // inside another program's X window, following its size
  Root        // over the root window, below every other window
};
void placeInOwnWindow();
void placeInHost(unsigned long hostWindow);
void placeOnRoot();
Placement placement();
// Whether the frame is fitted into whatever size the window has (a screensaver's).
bool fitsWindow();
// Whether the window is inside another program's window or on the root.
bool hosted();
// Whether the host window (or the root) can be drawn into; asks the X server
// on a connection of its own, so it can be called before the window opens.
bool hostReachable();
// Puts the freshly made SDL window into the host, at its size; false when the host is gone.
bool enterHost();
void showInHost(bool visible);
// Destroys the window inside the host (SDL's record of it is left until the process ends).
void leaveHost();
// An X event SDL passed on (SDL_SYSWMEVENT): the host's size or end.
bool translateHostEvent(const SDL_SysWMmsg* message, backend::Event& event);
// Once after a saver's window opens: a move of the program's window to the
// screen's corner. The program draws its window on a screen-sized primary
// surface, clipped to the screen, and a saver's window is not where the
// program put it anyway; in the corner no part of the frame is cut off.
bool takeSaverOrigin(backend::Event& event);
// The host went away (destroyed, or the X server refused to draw into it).
bool hostLost();
// Once after the host went away: a close request, so the program ends as if closed.
bool takeHostLoss(backend::Event& event);

}  // namespace sdl
