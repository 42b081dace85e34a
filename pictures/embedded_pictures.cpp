#include "pictures/embedded_pictures.h"

#include "jpeg/decoded_picture.h"
#include "scene/image.h"

namespace lumiscene {

std::unique_ptr<Image> picture1;
std::unique_ptr<Image> picture2;

bool decodePicture(std::unique_ptr<Image>& slot, const uint8_t* bytes, int32_t length) {
  DecodedPicture decoded;
  if (!decoded.decode(bytes, length)) {
    decoded.clear();
    return false;
  }
  // The old picture goes first and the pixels move rather than copy: at no time
  // are two pictures' worth of pixels held.
  slot.reset();
  auto image = std::make_unique<Image>();
  const int32_t width = decoded.width, height = decoded.height;
  image->adopt(width, height, decoded.takePixels());
  slot = std::move(image);
  return true;
}

std::unique_ptr<Image> makeCanvas(int32_t width, int32_t height, const Image& picture) {
  auto canvas = std::make_unique<Image>();
  canvas->create(width, height, canvasColour);
  canvas->placeCentred(picture);
  return canvas;
}

}  // namespace lumiscene
