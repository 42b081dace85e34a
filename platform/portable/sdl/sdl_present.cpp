// Putting the window's pixels on the screen, by the cheapest path the machine
// has. With a GPU, an SDL renderer: one texture upload, scaled by the GPU with
// linear filtering. Without one, OpenGL would be a software rasteriser that
// costs more than the whole program (a core's fifth and some 70 MB to copy a
// 640 x 480 picture), so the window surface is used instead: one memory copy
// into shared memory the X server reads, scaled by portable::scaleFrame where
// the window is larger than the frame. LUMISCENE_PRESENT=gpu or =memory
// overrides the choice.
#include <glob.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/portable/frame_scale.h"
#include "platform/portable/lasting.h"
#include "platform/portable/sdl/sdl_backend.h"

namespace {

struct Presenter {
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int32_t textureWidth = 0, textureHeight = 0;
  std::vector<uint32_t> scratch;
};

// Lasting: leaving full-screen from the program's global destructors presents once more.
Presenter& presenter = portable::lasting<Presenter>();

bool gpuPresent() {
  glob_t nodes;
  const bool found = glob("/dev/dri/renderD*", 0, nullptr, &nodes) == 0 && nodes.gl_pathc > 0;
  globfree(&nodes);
  return found;
}

// Mesa's rasterisers that run on the processor.
bool softwareOpenGl(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || (info.flags & SDL_RENDERER_SOFTWARE)) return true;
  if (std::strncmp(info.name, "opengl", 6) != 0) return false;
  using GetString = const unsigned char* (*)(unsigned int);
  const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  constexpr unsigned int kRenderer = 0x1F01;
  const char* name = getString != nullptr ? reinterpret_cast<const char*>(getString(kRenderer)) : nullptr;
  if (name == nullptr) return false;
  for (const char* software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
    if (std::strstr(name, software) != nullptr) return true;
  return false;
}

bool fitTexture(int32_t width, int32_t height) {
  if (presenter.texture != nullptr && presenter.textureWidth == width && presenter.textureHeight == height)
    return true;
  if (presenter.texture != nullptr) SDL_DestroyTexture(presenter.texture);
  presenter.texture = SDL_CreateTexture(presenter.renderer, SDL_PIXELFORMAT_RGB888,
                                        SDL_TEXTUREACCESS_STREAMING, width, height);
  presenter.textureWidth = presenter.texture != nullptr ? width : 0;
  presenter.textureHeight = presenter.texture != nullptr ? height : 0;
  return presenter.texture != nullptr;
}

portable::Letterbox boxFor(int32_t targetWidth, int32_t targetHeight, int32_t width, int32_t height) {
  if (sdl::fullScreen() || sdl::fitsWindow())
    return portable::fitFrame(targetWidth, targetHeight, width, height);
  return portable::wholeFactor(width, height, sdl::windowScale());
}

void renderFrame(const uint32_t* pixels, int32_t width, int32_t height) {
  if (!fitTexture(width, height)) return;
  SDL_UpdateTexture(presenter.texture, nullptr, pixels, width * 4);
  int outputWidth = 0, outputHeight = 0;
  SDL_GetRendererOutputSize(presenter.renderer, &outputWidth, &outputHeight);
  const portable::Letterbox box = boxFor(outputWidth, outputHeight, width, height);
  SDL_SetTextureScaleMode(presenter.texture, box.factor > 0 ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
  const SDL_Rect target = {box.x, box.y, box.width, box.height};
  SDL_SetRenderDrawColor(presenter.renderer, 0, 0, 0, 255);
  SDL_RenderClear(presenter.renderer);
  SDL_RenderCopy(presenter.renderer, presenter.texture, nullptr, &target);
  SDL_RenderPresent(presenter.renderer);
}

void copyFrame(const uint32_t* pixels, int32_t width, int32_t height) {
  SDL_Surface* surface = SDL_GetWindowSurface(sdl::window());
  if (surface == nullptr) return;
  const portable::Letterbox box = boxFor(surface->w, surface->h, width, height);
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
  if (surface->format->format == SDL_PIXELFORMAT_RGB888) {
    portable::scaleFrame(pixels, box, static_cast<uint32_t*>(surface->pixels), surface->w, surface->h,
                         surface->pitch / 4);
  } else {
    presenter.scratch.resize(static_cast<size_t>(surface->w) * surface->h);
    portable::scaleFrame(pixels, box, presenter.scratch.data(), surface->w, surface->h, surface->w);
    SDL_ConvertPixels(surface->w, surface->h, SDL_PIXELFORMAT_RGB888, presenter.scratch.data(),
                      surface->w * 4, surface->format->format, surface->pixels, surface->pitch);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  SDL_UpdateWindowSurface(sdl::window());
}

}  // namespace

namespace sdl {

bool startPresenting() {
  const char* forced = std::getenv("LUMISCENE_PRESENT");
  const bool gpu = forced != nullptr && std::strcmp(forced, "gpu") == 0;
  const bool memory = forced != nullptr && std::strcmp(forced, "memory") == 0;
  if (gpu || (!memory && gpuPresent())) {
    presenter.renderer = SDL_CreateRenderer(window(), -1, SDL_RENDERER_ACCELERATED);
    if (presenter.renderer != nullptr && !gpu && softwareOpenGl(presenter.renderer)) {
      SDL_DestroyRenderer(presenter.renderer);
      presenter.renderer = nullptr;
    }
    if (presenter.renderer != nullptr) return true;
  }
  // SDL would otherwise back the window surface with an OpenGL texture of its own.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  return SDL_GetWindowSurface(window()) != nullptr;
}

void stopPresenting() {
  if (presenter.texture != nullptr) SDL_DestroyTexture(presenter.texture);
  if (presenter.renderer != nullptr) SDL_DestroyRenderer(presenter.renderer);
  presenter = Presenter{};
}

void present(const uint32_t* pixels, int32_t width, int32_t height) {
  if (window() == nullptr || width <= 0 || height <= 0) return;
  if (presenter.renderer != nullptr)
    renderFrame(pixels, width, height);
  else
    copyFrame(pixels, width, height);
}

}  // namespace sdl
