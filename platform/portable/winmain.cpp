// The process entry of the portable build: main() calls the program's
// graphical entry point with the module handle and the show command a
// desktop gives a newly started program. There is no command line to pass on.
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);

int main() {
  char commandLine[] = "";
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}
