// The graphical entry point. The command line and the previous instance are
// ignored: the pictures a Windows user chose are stored in the registry by the
// screensaver's settings (where the Linux player has none stored, the ones
// from its own command line stay).
#include "app/picture_choice.h"
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  lumiscene::refusedPicturesInBox = lumiscene::useStoredPictureChoice();
  return lumiscene::runLumiscene(instance, showCommand);
}
