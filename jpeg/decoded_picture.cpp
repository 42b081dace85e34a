// The picture entry and its memory source: decode JPEG bytes held in memory into an
// array of 0x00RRGGBB pixels, all or nothing.
#include "jpeg/decoded_picture.h"

#include <cstring>
#include <new>
#include <utility>

namespace lumiscene {

MemorySource::MemorySource(const uint8_t* bytes, int32_t count)
    : atEnd(count < 1), size(count), data(bytes) {}

MemorySource::~MemorySource() = default;

int32_t MemorySource::read(uint8_t* dest, int32_t maxCount, bool* endFlag) {
  if (data == nullptr) return -1;
  if (atEnd) {
    *endFlag = true;
    return 0;
  }
  int32_t len = maxCount < 0 ? 0 : (maxCount < size - pos ? maxCount : size - pos);
  std::memcpy(dest, data + pos, static_cast<size_t>(len));
  pos += len;
  if (len < maxCount) {
    atEnd = true;
    *endFlag = true;
  }
  return len;
}

DecodedPicture::DecodedPicture(bool mmx) : useMmx(mmx) {}

DecodedPicture::~DecodedPicture() { clear(); }

void DecodedPicture::clear() {
  pixelStore.reset();
  pixels = nullptr;
  width = height = 0;
}

std::unique_ptr<uint32_t[]> DecodedPicture::takePixels() {
  std::unique_ptr<uint32_t[]> taken = std::move(pixelStore);
  clear();
  return taken;
}

bool DecodedPicture::decode(const uint8_t* data, int32_t size) {
  clear();
  MemorySource source(data, size);
  std::unique_ptr<JpegDecoder> decoder(new (std::nothrow) JpegDecoder);
  bool ok = false;
  if (decoder) {
    decoder->open(&source, useMmx);
    ok = decoder->errorCode == 0;
    if (ok) {
      width = decoder->imageWidth;
      height = decoder->imageHeight;
      ok = width >= 1 && height >= 1 && (decoder->componentCount == 1 || decoder->componentCount == 3);
    }
    ok = ok && decoder->startDecompress() == 0;
    if (ok) {
      pixelStore.reset(new (std::nothrow) uint32_t[static_cast<size_t>(width) * height]);
      pixels = pixelStore.get();
      ok = pixels != nullptr;
    }
    for (int32_t y = 0; ok && y < height; ++y) {
      uint8_t* row = nullptr;
      int32_t bytes = 0;
      if (decoder->readRow(&row, &bytes) != 0) break;
      packRow(row, width, decoder->bytesPerPixel, decoder->componentCount,
              pixels + static_cast<size_t>(y) * width);
    }
    ok = ok && decoder->errorCode == 0;
    decoder->release();
  }
  if (!ok) clear();
  return ok;
}

}  // namespace lumiscene
