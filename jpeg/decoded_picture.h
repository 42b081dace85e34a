// The picture entry: JPEG bytes in memory become a width, a height and an array of
// 0x00RRGGBB pixels. MemorySource is the byte source it hands the decoder.
#pragma once

#include <cstdint>
#include <memory>

#include "jpeg/jpeg_decoder.h"

namespace lumiscene {

// Delivers a buffer it does not own. A request for exactly the remaining bytes is
// served without raising the end flag; the next request returns 0 and raises it.
class MemorySource : public InputSource {
 public:
  MemorySource(const uint8_t* data, int32_t size);
  ~MemorySource() override;
  int32_t read(uint8_t* dest, int32_t maxCount, bool* atEnd) override;

  bool atEnd;
  int32_t size;
  int32_t pos = 0;
  const uint8_t* data;
};

class DecodedPicture {
 public:
  // useMmx asks the decoder for the four-lane transform and the 64-bit bit reader;
  // the program always uses the default, tools may take the integer path.
  explicit DecodedPicture(bool useMmx = true);
  ~DecodedPicture();
  DecodedPicture(const DecodedPicture&) = delete;
  DecodedPicture& operator=(const DecodedPicture&) = delete;

  // Decodes data, freeing any earlier picture first; on false the object is empty.
  bool decode(const uint8_t* data, int32_t size);
  void clear();
  // Hands the pixel array over to the caller and leaves the object empty, so a
  // picture is never held twice on its way into an Image.
  std::unique_ptr<uint32_t[]> takePixels();

  uint32_t* pixels = nullptr;  // width x height pixels, top row first; owned by pixelStore
  int32_t width = 0;
  int32_t height = 0;
  bool useMmx;

 private:
  std::unique_ptr<uint32_t[]> pixelStore;
};

}  // namespace lumiscene
