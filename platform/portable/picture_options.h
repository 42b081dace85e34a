// --picture1 FILE and --picture2 FILE, the options by which the Linux player
// and the Linux screensaver take a user's pictures in place of the built-in
// ones. Each is optional; a file named twice takes the last.
#pragma once

#include <string>

namespace portable {

struct PictureFiles {
  std::string panorama;  // --picture1
  std::string inset;     // --picture2
};

enum class PictureOption {
  NotOne,  // the argument is no picture option
  Taken,   // the option and its file were taken; index is at the file
  Refused  // the option lacks its file; complaint says so (without the program's name)
};

// Looks at arguments[index]; on Taken, index is moved onto the file name.
PictureOption takePictureOption(int count, const char* const* arguments, int& index, PictureFiles& files,
                                std::string& complaint);

// The lines of the programs' --help that describe both options.
extern const char* const pictureOptionsHelp;

}  // namespace portable
