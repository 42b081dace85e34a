// The process entry of the Linux player: main() answers the command line a
// Linux user may try (--help, --version), makes sure there is a desktop to
// show on, then calls the program's graphical entry point.
#include <cstdio>
#include <cstring>
#include <string>

#include "pictures/user_picture.h"
#include "platform/portable/picture_options.h"
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
    "Options:\n";

constexpr const char* kUsageEnd =
    "  --help           this text\n"
    "  --version        the version number\n"
    "A picture that cannot be used (not a JPEG the program reads, over 64 MB, or\n"
    "larger than 8192 x 8192) is reported on stderr and the built-in one is shown.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    std::fputs(portable::pictureOptionsHelp, stdout);
    std::fputs(kUsageEnd, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    portable::printVersion("lumiscene");
    return 0;
  }
  portable::PictureFiles files;
  for (int i = 1; i < argc; ++i) {
    std::string complaint;
    switch (portable::takePictureOption(argc, argv, i, files, complaint)) {
      case portable::PictureOption::Taken:
        break;
      case portable::PictureOption::NotOne:
        std::fprintf(stderr, "lumiscene: unknown option '%s' (see lumiscene --help)\n", argv[i]);
        return 2;
      case portable::PictureOption::Refused:
        std::fprintf(stderr, "lumiscene: %s (see lumiscene --help)\n", complaint.c_str());
        return 2;
    }
  }
  lumiscene::userPanoramaPath = files.panorama;
  lumiscene::userInsetPath = files.inset;
  return portable::enterProgram("lumiscene");
}
