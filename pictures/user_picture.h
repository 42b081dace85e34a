// Pictures a user chose in place of the built-in ones: any JPEG file the
// program's decoder reads, scaled to the place its role gives it.
//
// The panorama is scaled to cover the 640 x 480 frame keeping its shape and
// cropped equally on both sides; the inset, when larger than 540 x 380, is
// scaled down to fit inside that keeping its shape (a smaller one keeps its
// size) and then centred on a 640 x 480 canvas as the built-in inset is. A
// picture already of its target size is not resampled, so the built-in
// pictures given as files give exactly the built-in frames.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pictures/picture_scaler.h"

namespace lumiscene {

class Image;

enum class PictureRole { panorama, inset };

// The largest file and the largest declared picture a user may give.
constexpr int64_t maxUserPictureBytes = 64 * 1024 * 1024;
constexpr int32_t maxUserPictureSide = 8192;

constexpr int32_t userCanvasWidth = 640;
constexpr int32_t userCanvasHeight = 480;
constexpr int32_t insetMaxWidth = 540;
constexpr int32_t insetMaxHeight = 380;

// Where a width x height picture lands for its role: its scaled size and the
// window of it that is kept (the inset's window is all of it).
ScaleWindow fitPicture(PictureRole role, int32_t width, int32_t height);

// Reads, decodes and scales the file; for the inset the result is already on
// its canvas. On success the slot holds the new picture. On failure the slot
// is left as it was (the built-in picture stays) and message says, naming the
// file, why it was refused. Never ends the program.
bool loadUserPicture(const std::string& path, PictureRole role, std::unique_ptr<Image>& slot,
                     std::string& message);

// The same fitting for a picture already in memory (the render tool's PPM files).
std::unique_ptr<Image> placeUserPicture(const Image& picture, PictureRole role);

// The files a user chose for the running program; an empty path keeps the
// built-in picture. Front ends fill them from their command line or settings.
extern std::string userPanoramaPath;
extern std::string userInsetPath;

// Loads whichever of the two files are chosen over picture1 and picture2. Each
// refused file leaves its built-in picture and gives one message.
std::vector<std::string> loadChosenPictures();

}  // namespace lumiscene
