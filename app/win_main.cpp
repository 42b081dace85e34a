// The graphical entry point. The command line and the previous instance are ignored.
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  return lumiscene::runLumiscene(instance, showCommand);
}
