// SDL2 video for the portable layer: the desktop's description, the program's
// window with its icon and title, presenting through a streaming texture, and
// full-screen over the desktop's own mode with the frame scaled up and
// letterboxed (the monitor's mode is never switched).
#include <cstdio>

#include "platform/portable/backend.h"
#include "platform/portable/sdl/sdl_backend.h"

namespace {

struct Video {
  bool tried = false;
  bool started = false;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int textureWidth = 0;
  int textureHeight = 0;
  bool fullScreen = false;
  int frameWidth = 640;
  int frameHeight = 480;
};

Video video;

// The letterbox: the largest whole-frame scale that fits, centred.
void letterbox(int& offsetX, int& offsetY, double& scale) {
  int width = 0, height = 0;
  SDL_GetWindowSize(video.window, &width, &height);
  const double across = static_cast<double>(width) / video.frameWidth,
               down = static_cast<double>(height) / video.frameHeight;
  scale = across < down ? across : down;
  if (scale <= 0) scale = 1;
  offsetX = static_cast<int>((width - video.frameWidth * scale) / 2);
  offsetY = static_cast<int>((height - video.frameHeight * scale) / 2);
}

bool fitTexture(int width, int height) {
  if (video.texture != nullptr && video.textureWidth == width && video.textureHeight == height) return true;
  if (video.texture != nullptr) SDL_DestroyTexture(video.texture);
  video.texture =
      SDL_CreateTexture(video.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
  video.textureWidth = video.texture != nullptr ? width : 0;
  video.textureHeight = video.texture != nullptr ? height : 0;
  return video.texture != nullptr;
}

void show(const uint32_t* pixels, int width, int height) {
  if (video.renderer == nullptr || !fitTexture(width, height)) return;
  SDL_UpdateTexture(video.texture, nullptr, pixels, width * 4);
  SDL_SetRenderDrawColor(video.renderer, 0, 0, 0, 255);
  SDL_RenderClear(video.renderer);
  SDL_RenderCopy(video.renderer, video.texture, nullptr, nullptr);
  SDL_RenderPresent(video.renderer);
}

}  // namespace

namespace sdl {

bool videoAvailable() {
  if (!video.tried) {
    video.tried = true;
    video.started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (!video.started) std::fprintf(stderr, "Lumiscene: no display (%s)\n", SDL_GetError());
  }
  return video.started;
}

SDL_Window* window() { return video.window; }
bool fullScreen() { return video.fullScreen; }

void windowToFrame(int x, int y, int& frameX, int& frameY) {
  int offsetX = 0, offsetY = 0;
  double scale = 1;
  letterbox(offsetX, offsetY, scale);
  frameX = static_cast<int>((x - offsetX) / scale);
  frameY = static_cast<int>((y - offsetY) / scale);
}

void frameToWindow(int frameX, int frameY, int& x, int& y) {
  int offsetX = 0, offsetY = 0;
  double scale = 1;
  letterbox(offsetX, offsetY, scale);
  x = offsetX + static_cast<int>(frameX * scale);
  y = offsetY + static_cast<int>(frameY * scale);
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
  video.window = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_HIDDEN);
  if (video.window == nullptr) return false;
  video.renderer = SDL_CreateRenderer(video.window, -1, 0);
  if (video.renderer == nullptr) video.renderer = SDL_CreateRenderer(video.window, -1, SDL_RENDERER_SOFTWARE);
  if (video.renderer == nullptr) {
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
  if (video.texture != nullptr) SDL_DestroyTexture(video.texture);
  if (video.renderer != nullptr) SDL_DestroyRenderer(video.renderer);
  if (video.window != nullptr) SDL_DestroyWindow(video.window);
  video.texture = nullptr;
  video.renderer = nullptr;
  video.window = nullptr;
  video.textureWidth = video.textureHeight = 0;
  video.fullScreen = false;
}

void placeWindow(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (video.window == nullptr || video.fullScreen) return;
  int currentX = 0, currentY = 0, currentWidth = 0, currentHeight = 0;
  SDL_GetWindowPosition(video.window, &currentX, &currentY);
  SDL_GetWindowSize(video.window, &currentWidth, &currentHeight);
  // Moves reported by the window manager come back here; repeating them would start a loop.
  if (currentX != x || currentY != y) SDL_SetWindowPosition(video.window, x, y);
  if (currentWidth != width || currentHeight != height) SDL_SetWindowSize(video.window, width, height);
}

void showWindow(bool visible) {
  if (video.window == nullptr) return;
  if (visible)
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
  if (!video.fullScreen) show(pixels.data(), width, height);
}

void setFullScreen(bool on, int32_t width, int32_t height) {
  if (video.window == nullptr) return;
  if (on) {
    video.frameWidth = width > 0 ? width : 640;
    video.frameHeight = height > 0 ? height : 480;
    if (!video.fullScreen) SDL_SetWindowFullscreen(video.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_RenderSetLogicalSize(video.renderer, video.frameWidth, video.frameHeight);
  } else if (video.fullScreen) {
    SDL_SetWindowFullscreen(video.window, 0);
    SDL_RenderSetLogicalSize(video.renderer, 0, 0);
  }
  video.fullScreen = on;
}

void presentFullScreen(std::vector<uint32_t>& pixels, int32_t width, int32_t height) {
  if (video.fullScreen) show(pixels.data(), width, height);
}

}  // namespace backend
