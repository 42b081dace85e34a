#include "platform/portable/process_entry.h"

#include <cstdio>
#include <cstdlib>

#include "lumiscene_version.h"
#include "platform/portable/backend.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);

namespace portable {

namespace {

void explainMissingDisplay(const char* program) {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool named = (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
  if (named)
    std::fprintf(stderr,
                 "%s: cannot open the display %s%s%s; run it on a running desktop, or on a "
                 "virtual one: xvfb-run %s\n",
                 program, x11 != nullptr ? x11 : "", x11 != nullptr && wayland != nullptr ? " / " : "",
                 wayland != nullptr ? wayland : "", program);
  else
    std::fprintf(stderr,
                 "%s: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); run it from a "
                 "desktop session, or on a virtual one: xvfb-run %s\n",
                 program, program);
}

}  // namespace

void printVersion(const char* program) { std::printf("%s %s\n", program, LUMISCENE_VERSION); }

int enterProgram(const char* program) {
  if (!backend::describeDesktop().available) {
    explainMissingDisplay(program);
    return 1;
  }
  char commandLine[] = "";
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}

}  // namespace portable
