#include "platform/portable/picture_options.h"

#include <cstring>

namespace portable {

const char* const pictureOptionsHelp =
    "  --picture1 FILE  a JPEG picture to pan instead of the built-in one, scaled to\n"
    "                   cover the 640 x 480 frame and cropped equally on both sides\n"
    "  --picture2 FILE  a JPEG picture to fade in instead of the built-in one; one\n"
    "                   larger than 540 x 380 is scaled down to fit inside that\n";

PictureOption takePictureOption(int count, const char* const* arguments, int& index, PictureFiles& files,
                                std::string& complaint) {
  const char* argument = arguments[index];
  const bool first = std::strcmp(argument, "--picture1") == 0;
  if (!first && std::strcmp(argument, "--picture2") != 0) return PictureOption::NotOne;
  // An empty name is a mistake in a script, not a choice of the built-in picture.
  if (index + 1 == count || arguments[index + 1][0] == '\0') {
    complaint = std::string(argument) + " needs a file name";
    return PictureOption::Refused;
  }
  ++index;
  (first ? files.panorama : files.inset) = arguments[index];
  return PictureOption::Taken;
}

}  // namespace portable
