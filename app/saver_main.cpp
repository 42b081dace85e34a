// lumiscene.scr's entry point: Windows starts a screensaver with its mode on the command line.
#include "app/saver.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  return lumiscene::runScreenSaver(instance, commandLine);
}
