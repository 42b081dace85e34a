// The rest of the SDL backend: the clock, the pointer, message boxes and the
// desktop's opener. Faults and another program's exclusive mode are the
// headless backend's; here they never happen.
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/portable/backend.h"
#include "platform/portable/sdl/sdl_backend.h"
#include "platform/portable/user.h"

extern char** environ;

namespace {

const auto start = std::chrono::steady_clock::now();

}  // namespace

namespace backend {

int64_t counterFrequency() { return 1'000'000'000; }

int64_t counterNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start)
      .count();
}

uint32_t millisecondsSinceStart() {
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
          .count());
}

void sleepMilliseconds(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool readPointer(int32_t& x, int32_t& y) {
  if (!sdl::videoAvailable()) return false;
  int pointerX = 0, pointerY = 0;
  if (sdl::fullScreen()) {
    // The window covers the screen, so its own pointer state sees every move, warps included.
    SDL_GetMouseState(&pointerX, &pointerY);
    portable::targetToPointer(sdl::fullScreenBox(), pointerX, pointerY, x, y);
    return true;
  }
  if (sdl::queryPointer(x, y)) return true;
  SDL_GetGlobalMouseState(&pointerX, &pointerY);
  x = pointerX;
  y = pointerY;
  return true;
}

bool warpPointer(int32_t x, int32_t y) {
  if (!sdl::videoAvailable()) return false;
  if (sdl::fullScreen() && sdl::window() != nullptr) {
    int width = 0, height = 0;
    SDL_GetWindowSize(sdl::window(), &width, &height);
    int32_t windowX = 0, windowY = 0;
    portable::pointerToTarget(sdl::fullScreenBox(), width, height, x, y, windowX, windowY);
    SDL_WarpMouseInWindow(sdl::window(), windowX, windowY);
    return true;
  }
  return SDL_WarpMouseGlobal(x, y) == 0;
}

int32_t showMessageBox(const char* text, const char* caption, uint32_t flags) {
  const uint32_t icon = flags & MB_ICONMASK;
  const Uint32 kind = icon == MB_ICONERROR     ? SDL_MESSAGEBOX_ERROR
                      : icon == MB_ICONWARNING ? SDL_MESSAGEBOX_WARNING
                                               : SDL_MESSAGEBOX_INFORMATION;
  if (SDL_ShowSimpleMessageBox(kind, caption, text, sdl::window()) != 0)
    std::fprintf(stderr, "%s: %s\n", caption, text);
  return IDOK;
}

bool scriptedDialogAnswer(int32_t&) { return false; }

bool chooseFileToOpen(const char*, std::string&) { return false; }

bool openAddress(const char* address) {
  // The shell starts the opener in the background and ends at once, so nothing
  // waits for the browser; its exit status tells whether the opener exists.
  const char* script =
      "command -v xdg-open >/dev/null 2>&1 || exit 127; xdg-open \"$1\" </dev/null >/dev/null 2>&1 &";
  char* const arguments[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),    const_cast<char*>(script),
                             const_cast<char*>("sh"), const_cast<char*>(address), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, arguments, environ) != 0) return false;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int32_t injectedFailure(const char*) { return 0; }
bool exclusiveModeHeldElsewhere() { return false; }

void reportStall(const char* where) { std::fprintf(stderr, "Lumiscene: %s\n", where); }

}  // namespace backend
