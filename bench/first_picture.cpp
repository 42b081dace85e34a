// Starts a program on the X display in DISPLAY and watches the screen until a
// picture shows inside a rectangle, then prints the seconds that took and the
// program's process id, and leaves it running.
//
//   lumiscene-first-picture X Y WIDTH HEIGHT TIMEOUT_S PROGRAM [ARGS...]
// prints "first-picture SECONDS PID" (or "first-picture none PID" on timeout).
// A picture is many colours: a black screen, an empty window or its plain
// background before the first frame is one.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

extern char** environ;

namespace {

// A grid of samples is enough: the picture covers the whole rectangle.
bool pictureShows(Display* display, int x, int y, int width, int height) {
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  std::set<unsigned long> colours;
  for (int row = 0; row < height; row += 8)
    for (int column = 0; column < width; column += 8)
      colours.insert(XGetPixel(image, column, row) & 0xFFFFFF);
  XDestroyImage(image);
  return colours.size() >= 16;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 7) {
    std::fprintf(stderr, "usage: %s X Y WIDTH HEIGHT TIMEOUT_S PROGRAM [ARGS...]\n", argv[0]);
    return 2;
  }
  const int x = std::atoi(argv[1]), y = std::atoi(argv[2]), width = std::atoi(argv[3]),
            height = std::atoi(argv[4]);
  const double timeout = std::atof(argv[5]);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "lumiscene-first-picture: cannot open the display\n");
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  if (posix_spawn(&child, argv[6], nullptr, nullptr, argv + 6, environ) != 0) {
    std::fprintf(stderr, "lumiscene-first-picture: cannot start %s\n", argv[6]);
    return 1;
  }
  for (;;) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (pictureShows(display, x, y, width, height)) {
      std::printf("first-picture %.3f %d\n", seconds, static_cast<int>(child));
      return 0;
    }
    if (seconds > timeout) {
      std::printf("first-picture none %d\n", static_cast<int>(child));
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}
