// The process entry of the Linux screensaver, an xscreensaver hack: main()
// answers --help and --version, chooses where the saver draws (the window
// xscreensaver or the command line names, the root, or a window of its own)
// and which pictures it shows, then starts the program. SIGTERM and SIGINT,
// which xscreensaver sends when the user comes back, end it as its window's
// close box would, with status 0.
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "pictures/user_picture.h"
#include "platform/portable/process_entry.h"
#include "platform/portable/saver_options.h"
#include "platform/portable/sdl/sdl_backend.h"

namespace {

constexpr const char* kUsage =
    "Usage: lumiscene-saver [--window-id ID | --root] [--picture1 FILE] [--picture2 FILE]\n"
    "       lumiscene-saver --help | --version\n"
    "Lumiscene as a screensaver for xscreensaver: the animated picture without its\n"
    "menu, keys or clicks. The panorama drifts on its own, one mirrored width (the\n"
    "picture and its mirror image, 1280 pixels) every two minutes, and every\n"
    "30 seconds a second picture fades in, holds and fades out. The picture keeps\n"
    "its 4:3 shape, scaled to the window with black bars where the shapes differ.\n"
    "\n"
    "Options (-window-id and -root with one dash too, as xscreensaver writes them):\n"
    "  --window-id ID   draw into the X window ID (decimal or 0x hex)\n"
    "  --root           draw on the root window, or in xscreensaver's window when\n"
    "                   XSCREENSAVER_WINDOW names one\n";

constexpr const char* kUsageEnd =
    "  --help           this text\n"
    "  --version        the version number\n"
    "A picture that cannot be used (not a JPEG the program reads, over 64 MB, or\n"
    "larger than 8192 x 8192) is reported on stderr and the built-in one is shown.\n"
    "Without a window it opens one of its own (640 x 480, resizable) to try it out.\n"
    "It ends on SIGTERM or SIGINT, or when the window it draws into goes away.\n"
    "\n"
    "Environment:\n"
    "  XSCREENSAVER_WINDOW   the window xscreensaver made for it (wins over --root)\n"
    "  DISPLAY               the X display to show on\n"
    "  LUMISCENE_PRESENT=MODE  gpu: draw through the GPU; memory: plain memory copies\n";

}  // namespace

int main(int argc, char** argv) {
  const portable::SaverCommand command =
      portable::parseSaverCommand(argc - 1, argv + 1, std::getenv("XSCREENSAVER_WINDOW"));
  using Action = portable::SaverCommand::Action;
  using Place = portable::SaverCommand::Place;
  switch (command.action) {
    case Action::Help:
      std::fputs(kUsage, stdout);
      std::fputs(portable::pictureOptionsHelp, stdout);
      std::fputs(kUsageEnd, stdout);
      return 0;
    case Action::Version:
      portable::printVersion("lumiscene-saver");
      return 0;
    case Action::Refuse:
      std::fprintf(stderr, "lumiscene-saver: %s (see lumiscene-saver --help)\n", command.complaint.c_str());
      return 2;
    case Action::Run:
      break;
  }
  lumiscene::userPanoramaPath = command.pictures.panorama;
  lumiscene::userInsetPath = command.pictures.inset;
  switch (command.place) {
    case Place::OwnWindow:
      sdl::placeInOwnWindow();
      break;
    case Place::Window:
      sdl::placeInHost(command.windowId);
      break;
    case Place::Root:
      sdl::placeOnRoot();
      break;
  }
  // SDL turns these into a close request, but only where they are not already
  // ignored, as a shell's background jobs find SIGINT.
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGINT, SIG_DFL);
  if (command.place == Place::Window && backend::describeDesktop().available && !sdl::hostReachable()) {
    std::fprintf(stderr, "lumiscene-saver: there is no window 0x%lx on this display\n", command.windowId);
    return 1;
  }
  const int status = portable::enterProgram("lumiscene-saver");
  // xscreensaver may destroy its window before it ends the saver: a quiet end, not a failure.
  return sdl::hostLost() ? 0 : status;
}
