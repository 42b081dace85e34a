// Where a screensaver draws: a window of its own the frame is fitted into, or
// another program's X window (xscreensaver's, the preview in its settings, a
// test's), or the root window. In another program's window the SDL window is
// made as usual, then reparented into it before it is ever mapped: the window
// manager never sees it, SDL keeps a window of its own making (its visual, its
// input selection: selecting clicks on the root fails while a window manager
// holds them) and follows it like any other. The host is watched for its size
// and its end through SDL's raw X events; a host destroyed under the saver
// ends it quietly, the way xscreensaver expects of a hack.
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include "platform/portable/sdl/sdl_backend.h"

namespace {

struct Host {
  sdl::Placement placement = sdl::Placement::Player;
  unsigned long named = 0;  // Placement::Host: the window given
  Display* display = nullptr;
  Window window = 0;  // the host as entered
  Window own = 0;     // the SDL window inside it
  bool originReported = false;
  bool lost = false;
  bool lossReported = false;
  XErrorHandler previousHandler = nullptr;
};

Host host;

// Drawing into a window the host took away with it is refused by the X
// server (the core protocol's BadWindow or BadDrawable, or OpenGL's own
// error); Xlib's default answer to any error is to end the process with status 1.
int hostErrorHandler(Display* display, XErrorEvent* error) {
  if (error->resourceid != 0 && (error->resourceid == host.own || error->resourceid == host.window)) {
    host.lost = true;
    return 0;
  }
  return host.previousHandler != nullptr ? host.previousHandler(display, error) : 0;
}

bool probeFailed = false;
int probeErrorHandler(Display*, XErrorEvent*) {
  probeFailed = true;
  return 0;
}

}  // namespace

namespace sdl {

void placeInOwnWindow() { host.placement = Placement::OwnWindow; }

void placeInHost(unsigned long hostWindow) {
  host.placement = Placement::Host;
  host.named = hostWindow;
}

void placeOnRoot() { host.placement = Placement::Root; }

Placement placement() { return host.placement; }

bool fitsWindow() { return host.placement != Placement::Player; }

bool hosted() { return host.placement == Placement::Host || host.placement == Placement::Root; }

bool hostReachable() {
  if (host.placement != Placement::Host) return true;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  probeFailed = false;
  const XErrorHandler previous = XSetErrorHandler(probeErrorHandler);
  XWindowAttributes attributes;
  const bool found = XGetWindowAttributes(display, host.named, &attributes) != 0 && !probeFailed;
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return found;
}

bool enterHost() {
  if (!hosted()) return true;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window(), &info) || info.subsystem != SDL_SYSWM_X11) return false;
  host.display = info.info.x11.display;
  host.own = info.info.x11.window;
  host.window = host.placement == Placement::Root ? DefaultRootWindow(host.display) : host.named;
  if (host.previousHandler == nullptr) host.previousHandler = XSetErrorHandler(hostErrorHandler);
  XWindowAttributes attributes;
  if (XGetWindowAttributes(host.display, host.window, &attributes) == 0 || host.lost) {
    host.lost = true;
    return false;
  }
  // Added to what this connection already selects there (SDL watches the root for its own reasons).
  XSelectInput(host.display, host.window, attributes.your_event_mask | StructureNotifyMask);
  if (host.placement == Placement::Root) {
    // A child of the root is a top-level window: the window manager would frame it.
    XSetWindowAttributes unmanaged;
    unmanaged.override_redirect = True;
    XChangeWindowAttributes(host.display, host.own, CWOverrideRedirect, &unmanaged);
  }
  XReparentWindow(host.display, host.own, host.window, 0, 0);
  SDL_SetWindowSize(window(), attributes.width, attributes.height);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  XSync(host.display, False);
  return !host.lost;
}

void showInHost(bool visible) {
  if (host.display == nullptr) return;
  if (visible) {
    XMapWindow(host.display, host.own);
    // On the root it stands in for the root's own picture: below every window.
    if (host.placement == Placement::Root) XLowerWindow(host.display, host.own);
  } else {
    XUnmapWindow(host.display, host.own);
  }
  XFlush(host.display);
}

void leaveHost() {
  if (host.display == nullptr) return;
  XDestroyWindow(host.display, host.own);
  XSync(host.display, False);
}

bool translateHostEvent(const SDL_SysWMmsg* message, backend::Event& event) {
  if (message == nullptr || message->subsystem != SDL_SYSWM_X11 || host.display == nullptr) return false;
  const XEvent& raw = message->msg.x11.event;
  if (raw.type == ConfigureNotify && raw.xconfigure.window == host.window) {
    int width = 0, height = 0;
    SDL_GetWindowSize(window(), &width, &height);
    if (raw.xconfigure.width != width || raw.xconfigure.height != height)
      SDL_SetWindowSize(window(), raw.xconfigure.width, raw.xconfigure.height);
    return false;
  }
  if (raw.type == DestroyNotify &&
      (raw.xdestroywindow.window == host.window || raw.xdestroywindow.window == host.own))
    host.lost = true;
  return takeHostLoss(event);
}

bool takeSaverOrigin(backend::Event& event) {
  if (!fitsWindow() || host.originReported) return false;
  host.originReported = true;
  event = backend::Event{};
  event.kind = backend::EventKind::Moved;
  return true;
}

bool hostLost() { return host.lost; }

bool takeHostLoss(backend::Event& event) {
  if (!host.lost || host.lossReported) return false;
  host.lossReported = true;
  event = backend::Event{};
  event.kind = backend::EventKind::CloseRequested;
  return true;
}

}  // namespace sdl
