// The graphical entry point of lumiscene-saver, the Linux screensaver (an
// xscreensaver hack): the program in its screensaver mode. Where it draws was
// chosen before, by the process entry (platform/portable/saver_main.cpp).
#include "app/app_flags.h"
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  lumiscene::runningAsSaver = true;
  return lumiscene::runLumiscene(instance, showCommand);
}
