// The process entry of the Linux player: main() answers the command line a
// Linux user may try (--help, --version), makes sure there is a desktop to
// show on, then calls the program's graphical entry point.
#include <cstdio>
#include <cstring>

#include "platform/portable/process_entry.h"

namespace {

constexpr const char* kUsage =
    "Usage: lumiscene [--help | --version]\n"
    "Plays one animated picture: a panorama that pans with the pointer under a fine\n"
    "drifting shimmer, and every 30 seconds (or at a key press) a second picture\n"
    "that fades in, holds and fades out. It starts in a window.\n"
    "\n"
    "Keys:\n"
    "  P               show or hide the frame-time readout\n"
    "  T, Alt+Enter    switch between the window and full-screen\n"
    "  Esc, Alt+X      quit\n"
    "  any other key   bring in the second picture\n"
    "A click on the picture opens the product's web page.\n"
    "\n"
    "Environment:\n"
    "  DISPLAY, WAYLAND_DISPLAY  the desktop to show on (X11, Wayland)\n"
    "  LUMISCENE_SCALE=N         show the window N times its size (N = 1 to 8);\n"
    "                            without it, GDK_SCALE is followed\n"
    "  LUMISCENE_PRESENT=MODE    gpu: draw through the GPU; memory: plain memory copies\n"
    "                            (default: the GPU where there is a hardware one)\n"
    "  SDL_VIDEODRIVER           an SDL video driver to use instead of the desktop's\n"
    "\n"
    "Options:\n"
    "  --help      this text\n"
    "  --version   the version number\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
      portable::printVersion("lumiscene");
      return 0;
    }
    std::fprintf(stderr, "lumiscene: unknown option '%s' (see lumiscene --help)\n", argv[1]);
    return 2;
  }
  return portable::enterProgram("lumiscene");
}
