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
  slot.reset();
  auto image = std::make_unique<Image>();
  image->create(decoded.width, decoded.height, 0);
  image->loadPixels(decoded.pixels);
  slot = std::move(image);
  decoded.clear();
  return true;
}

std::unique_ptr<Image> makeCanvas(int32_t width, int32_t height, const Image& picture) {
  auto canvas = std::make_unique<Image>();
  canvas->create(width, height, canvasColour);
  canvas->placeCentred(picture);
  return canvas;
}

}  // namespace lumiscene
