// The pictures a Windows user chose in the screensaver's settings, kept per
// user in the registry (HKEY_CURRENT_USER\Software\Lumiscene, REG_SZ values
// Picture1 and Picture2; absent or empty means the built-in picture) and read
// by the saver and the player at start-up.
#pragma once

#include <string>

namespace lumiscene {

struct PictureChoice {
  std::string panorama;  // picture 1
  std::string inset;     // picture 2
  bool operator==(const PictureChoice&) const = default;
};

constexpr const char* pictureChoiceKey = "Software\\Lumiscene";

// The stored choice; a value that is absent, unreadable or not a string is the built-in picture.
PictureChoice readPictureChoice();
// Stores the choice, an empty path by removing its value. False when the key
// cannot be written.
bool storePictureChoice(const PictureChoice& choice);

// Hands the stored choice to the start-up (userPanoramaPath, userInsetPath).
// A picture with nothing stored keeps the path it has, so that a choice made
// on the command line stays. Returns whether anything was stored.
bool useStoredPictureChoice();

}  // namespace lumiscene
