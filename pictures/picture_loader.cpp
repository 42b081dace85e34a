#include "pictures/embedded_pictures.h"

#include "pictures/scramble_key.h"
#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "scene/image.h"

namespace lumiscene {

namespace {

constexpr int inset = IDR_INSET_PICTURE;
constexpr int panorama = IDR_PANORAMA_PICTURE;
constexpr const char* pictureType = LUMISCENE_PICTURE_TYPE;

}  // namespace

bool findResourceData(int id, const char* type, const uint8_t*& data, uint32_t& size) {
  data = nullptr;
  size = 0;
  // A null module names the program's own executable.
  HMODULE module = nullptr;
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (resource == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, resource);
  data = static_cast<const uint8_t*>(LockResource(loaded));
  size = SizeofResource(module, resource);
  return true;
}

bool loadResourceCopy(int id, const char* type, std::vector<uint8_t>& copy) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  if (!findResourceData(id, type, data, size)) return false;
  copy.assign(data, data + (data != nullptr ? size : 0));
  return true;
}

bool loadPictures() {
  std::vector<uint8_t> insetBytes, panoramaBytes;
  if (!loadResourceCopy(inset, pictureType, insetBytes)) return false;
  if (!loadResourceCopy(panorama, pictureType, panoramaBytes)) return false;
  const auto panoramaLength = static_cast<int32_t>(panoramaBytes.size());
  const auto insetLength = static_cast<int32_t>(insetBytes.size());
  descramble(panoramaBytes.data(), panoramaLength, scrambleSeed, scrambleWidth);
  descramble(insetBytes.data(), insetLength, scrambleSeed, scrambleWidth);
  // A picture that is present but does not decode ends the start-up like a
  // missing one: the animation needs both, at their real sizes.
  if (!decodePicture(picture1, panoramaBytes.data(), panoramaLength)) return false;
  std::unique_ptr<Image> decodedInset;
  if (!decodePicture(decodedInset, insetBytes.data(), insetLength)) return false;
  picture2 = makeCanvas(picture1->width, picture1->height, *decodedInset);
  return true;
}

}  // namespace lumiscene
