// The graphical entry point of the Linux screensaver: the program in its
// screensaver mode. Where it draws was chosen before, by the process entry.
#include "app/app_flags.h"
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  lumiscene::runningAsSaver = true;
  return lumiscene::runLumiscene(instance, showCommand);
}
