// SDL2 video for the portable layer: choosing the desktop to run on, its
// description, the program's window with its icon, title and scale, and
// full-screen over the desktop's own mode with the frame scaled and
// letterboxed (the monitor's mode is never switched).
#include <cstdlib>
#include <cstring>

#include "platform/portable/backend.h"
#include "platform/portable/sdl/sdl_backend.h"

namespace {

struct Video {
  bool tried = false;
  bool started = false;
  int32_t scale = 1;
  SDL_Window* window = nullptr;
  bool fullScreen = false;
  // Full-screen made by moving and sizing the window ourselves: there is no window manager to ask.
  bool fullScreenByHand = false;
  int32_t frameWidth = 640, frameHeight = 480;
  int windowedX = 0, windowedY = 0, windowedWidth = 0, windowedHeight = 0;
  // The caller's buffer of the last window content; it keeps it as given until the next.
  const std::vector<uint32_t>* windowPixels = nullptr;
};

Video video;

bool nonEmpty(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// SDL on its own falls back to drivers that show nothing (offscreen, dummy),
// so a player started without a desktop would run unseen; only the drivers of
// the desktop the environment names are tried, unless SDL_VIDEODRIVER chooses.
bool startVideo() {
  if (nonEmpty("SDL_VIDEODRIVER")) return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  for (int index = 0; index < SDL_GetNumVideoDrivers(); ++index) {
    const char* driver = SDL_GetVideoDriver(index);
    const bool named = (std::strcmp(driver, "x11") == 0 && nonEmpty("DISPLAY")) ||
                       (std::strcmp(driver, "wayland") == 0 && nonEmpty("WAYLAND_DISPLAY"));
    if (!named) continue;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
  }
  return false;
}

int32_t scaleFromEnvironment() {
  for (const char* variable : {"LUMISCENE_SCALE", "GDK_SCALE"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    const int32_t scale = static_cast<int32_t>(std::strtol(value, nullptr, 10));
    return scale >= 1 && scale <= 8 ? scale : 1;
  }
  return 1;
}

// Window managers put the frame where a client asks its window to go, so the
// content would land lower and further right by the decorations' size at
// every move (and creep at every round trip through full-screen). Asking for
// the frame's corner puts the content where the layer says.
void moveContent(int32_t x, int32_t y) {
  int32_t left = 0, top = 0;
  if (!sdl::frameExtents(left, top)) left = top = 0;
  SDL_SetWindowPosition(video.window, x - left, y - top);
}

}  // namespace

namespace sdl {

bool videoAvailable() {
  if (!video.tried) {
    video.tried = true;
    video.started = startVideo();
    video.scale = scaleFromEnvironment();
  }
  return video.started;
}

SDL_Window* window() { return video.window; }
bool fullScreen() { return video.fullScreen; }
int32_t windowScale() { return video.scale; }

portable::Letterbox fullScreenBox() {
  int width = 0, height = 0;
  if (video.window != nullptr) SDL_GetWindowSize(video.window, &width, &height);
  return portable::fitFrame(width, height, video.frameWidth, video.frameHeight);
}

}  // namespace sdl

namespace backend {

Desktop describeDesktop() {
  Desktop desktop;
  if (!sdl::videoAvailable()) return desktop;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return desktop;
  desktop.available = true;
  desktop.width = mode.w;
  desktop.height = mode.h;
  int bits = 0;
  Uint32 red = 0, green = 0, blue = 0, alpha = 0;
  desktop.bitsPerPixel = SDL_BYTESPERPIXEL(mode.format) * 8;
  if (SDL_PixelFormatEnumToMasks(mode.format, &bits, &red, &green, &blue, &alpha) && red != 0) {
    desktop.redMask = red;
    desktop.greenMask = green;
    desktop.blueMask = blue;
  }
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) usable = {0, 0, mode.w, mode.h};
  desktop.workLeft = usable.x;
  desktop.workTop = usable.y;
  desktop.workRight = usable.x + usable.w;
  desktop.workBottom = usable.y + usable.h;
  desktop.otherModes = true;
  return desktop;
}

bool openWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height,
                const uint32_t* iconPixels, int32_t iconSize) {
  if (!sdl::videoAvailable() || video.window != nullptr) return false;
  // Resizable also inside a host: SDL moves a fixed-size window back to where it was made when it sizes it.
  const Uint32 flags = SDL_WINDOW_HIDDEN | (sdl::fitsWindow() ? SDL_WINDOW_RESIZABLE : 0);
  video.window = SDL_CreateWindow(title, x, y, width * video.scale, height * video.scale, flags);
  if (video.window == nullptr) return false;
  // Presenting first: a GPU renderer makes SDL create the X window anew.
  if (!sdl::startPresenting() || !sdl::enterHost()) {
    sdl::stopPresenting();
    SDL_DestroyWindow(video.window);
    video.window = nullptr;
    return false;
  }
  if (iconPixels != nullptr && iconSize > 0) {
    SDL_Surface* icon =
        SDL_CreateRGBSurfaceFrom(const_cast<uint32_t*>(iconPixels), iconSize, iconSize, 32, iconSize * 4,
                                 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
    if (icon != nullptr) {
      SDL_SetWindowIcon(video.window, icon);
      SDL_FreeSurface(icon);
    }
  }
  return true;
}

void closeWindow() {
  sdl::stopPresenting();
  // SDL unmaps a window before destroying it and waits for the X server to
  // say so; a window whose host is gone is never unmapped, and would hang the end.
  if (video.window != nullptr && sdl::hosted())
    sdl::leaveHost();
  else if (video.window != nullptr)
    SDL_DestroyWindow(video.window);
  video.window = nullptr;
  video.fullScreen = false;
  video.fullScreenByHand = false;
}

void placeWindow(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (video.window == nullptr || video.fullScreen) return;
  // A saver's window has the place and size its user or its host gives it.
  if (sdl::fitsWindow()) return;
  int currentX = 0, currentY = 0, currentWidth = 0, currentHeight = 0;
  SDL_GetWindowPosition(video.window, &currentX, &currentY);
  SDL_GetWindowSize(video.window, &currentWidth, &currentHeight);
  // Moves reported by the window manager come back here; repeating them would start a loop.
  if (currentX != x || currentY != y) moveContent(x, y);
  if (currentWidth != width * video.scale || currentHeight != height * video.scale)
    SDL_SetWindowSize(video.window, width * video.scale, height * video.scale);
}

void showWindow(bool visible) {
  if (video.window == nullptr) return;
  // SDL would wait for the window manager and hand the window the input focus,
  // neither of which a window inside another's has.
  if (sdl::hosted())
    sdl::showInHost(visible);
  else if (visible)
    SDL_ShowWindow(video.window);
  else
    SDL_HideWindow(video.window);
}

void minimiseWindow() {
  if (video.window != nullptr) SDL_MinimizeWindow(video.window);
}

void restoreWindow() {
  if (video.window != nullptr) SDL_RestoreWindow(video.window);
}

void presentWindow(std::vector<uint32_t>& pixels, int32_t width, int32_t height, int32_t) {
  video.windowPixels = &pixels;
  if (!video.fullScreen) sdl::present(pixels.data(), width, height);
}

const std::vector<uint32_t>* windowPixelsShown() { return video.windowPixels; }

void setFullScreen(bool on, int32_t width, int32_t height) {
  if (video.window == nullptr) return;
  if (on) {
    video.frameWidth = width > 0 ? width : 640;
    video.frameHeight = height > 0 ? height : 480;
    if (video.fullScreen) return;
    video.fullScreen = true;
    if (sdl::windowManagerRunning()) {
      SDL_SetWindowFullscreen(video.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
      return;
    }
    // Without a window manager nothing would act on the request: the window
    // covers the screen by its own move and size.
    SDL_GetWindowPosition(video.window, &video.windowedX, &video.windowedY);
    SDL_GetWindowSize(video.window, &video.windowedWidth, &video.windowedHeight);
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) mode.w = mode.h = 0;
    SDL_SetWindowPosition(video.window, 0, 0);
    if (mode.w > 0 && mode.h > 0) SDL_SetWindowSize(video.window, mode.w, mode.h);
    SDL_RaiseWindow(video.window);
    video.fullScreenByHand = true;
  } else if (video.fullScreen) {
    video.fullScreen = false;
    if (video.fullScreenByHand) {
      video.fullScreenByHand = false;
      SDL_SetWindowSize(video.window, video.windowedWidth, video.windowedHeight);
      SDL_SetWindowPosition(video.window, video.windowedX, video.windowedY);
    } else {
      SDL_SetWindowFullscreen(video.window, 0);
    }
  }
}

void presentFullScreen(std::vector<uint32_t>& pixels, int32_t width, int32_t height) {
  if (video.fullScreen) sdl::present(pixels.data(), width, height);
}

}  // namespace backend
