// The process entry of the Linux player: main() answers the command line a
// Linux user may try (--help, --version), makes sure there is a desktop to
// show on, then calls the program's graphical entry point.
#include <cstdio>
#include <cstring>

#include "pictures/user_picture.h"
#include "platform/portable/process_entry.h"

namespace {

constexpr const char* kUsage =
    "Usage: lumiscene [--picture1 FILE] [--picture2 FILE] | --help | --version\n"
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
    "  --picture1 FILE  a JPEG picture to pan instead of the built-in one, scaled to\n"
    "                   cover the 640 x 480 frame and cropped equally on both sides\n"
    "  --picture2 FILE  a JPEG picture to fade in instead of the built-in one; one\n"
    "                   larger than 540 x 380 is scaled down to fit inside that\n"
    "  --help           this text\n"
    "  --version        the version number\n"
    "A picture that cannot be used (not a JPEG the program reads, over 64 MB, or\n"
    "larger than 8192 x 8192) is reported on stderr and the built-in one is shown.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    portable::printVersion("lumiscene");
    return 0;
  }
  for (int i = 1; i < argc; i += 2) {
    const bool first = std::strcmp(argv[i], "--picture1") == 0;
    if (!first && std::strcmp(argv[i], "--picture2") != 0) {
      std::fprintf(stderr, "lumiscene: unknown option '%s' (see lumiscene --help)\n", argv[i]);
      return 2;
    }
    if (i + 1 == argc || argv[i + 1][0] == '\0') {
      std::fprintf(stderr, "lumiscene: %s needs a file name (see lumiscene --help)\n", argv[i]);
      return 2;
    }
    (first ? lumiscene::userPanoramaPath : lumiscene::userInsetPath) = argv[i + 1];
  }
  return portable::enterProgram("lumiscene");
}
