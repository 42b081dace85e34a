// What SDL does not tell about an X display: where the pointer really is (SDL
// caches the global position and a warp does not refresh it) and whether a
// window manager runs (without one, asking for full-screen changes nothing).
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "platform/portable/sdl/sdl_backend.h"

namespace {

Display* x11Display(Window* ownWindow = nullptr) {
  SDL_Window* window = sdl::window();
  if (window == nullptr) return nullptr;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  if (ownWindow != nullptr) *ownWindow = info.info.x11.window;
  return info.info.x11.display;
}

// A property of 32-bit items; false when it is not there as asked.
bool readProperty(Display* display, Window window, const char* name, Atom type, long* items, long count) {
  const Atom property = XInternAtom(display, name, True);
  if (property == None) return false;
  Atom actualType = None;
  int format = 0;
  unsigned long found = 0, after = 0;
  unsigned char* data = nullptr;
  const bool read = XGetWindowProperty(display, window, property, 0, count, False, type, &actualType, &format,
                                       &found, &after, &data) == Success &&
                    actualType == type && format == 32 && found == static_cast<unsigned long>(count) &&
                    data != nullptr;
  if (read)
    for (long index = 0; index < count; ++index) items[index] = reinterpret_cast<long*>(data)[index];
  if (data != nullptr) XFree(data);
  return read;
}

}  // namespace

namespace sdl {

bool queryPointer(int32_t& x, int32_t& y) {
  Display* display = x11Display();
  if (display == nullptr) return false;
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
  unsigned int buttons = 0;
  if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY,
                     &buttons))
    return false;
  x = rootX;
  y = rootY;
  return true;
}

bool windowManagerRunning() {
  Display* display = x11Display();
  if (display == nullptr) return true;
  // The window manager's own mark (EWMH): the root names its check window.
  long checkWindow = 0;
  return readProperty(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW,
                      &checkWindow, 1);
}

bool frameExtents(int32_t& left, int32_t& top) {
  Window window = 0;
  Display* display = x11Display(&window);
  // Left, right, top and bottom, as the window manager announces them (EWMH).
  long extents[4] = {};
  if (display == nullptr || !readProperty(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL, extents, 4))
    return false;
  left = static_cast<int32_t>(extents[0]);
  top = static_cast<int32_t>(extents[2]);
  return true;
}

}  // namespace sdl
