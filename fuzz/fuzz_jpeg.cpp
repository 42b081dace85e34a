// libFuzzer target for the picture decoder: every input is decoded on both paths (integer
// transform with the 32-bit reader, four-lane transform with the 64-bit reader), and once
// more at a reduced size (1/2, 1/4 or 1/8 by the input's length). The
// sanitizers catch memory and arithmetic faults; the checks below catch a picture that is
// neither complete nor empty, and paths that disagree about whether and what they decoded.
//
// Both readers deliver the same bits, but the 64-bit reader loads further ahead, and a
// restart marker is searched for from the read position: when the data of a restart
// interval runs on past its last MCU with a stuffed FF 00 inside that look-ahead, the
// 32-bit reader meets FF 00 instead of the marker (-228) while the 64-bit reader has already
// passed it. So the paths are held to the same outcome only for data without a DRI marker.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "jpeg/decoded_picture.h"
#include "jpeg/jpeg_decoder.h"

namespace {

struct Outcome {
  bool ok;
  int32_t width;
  int32_t height;
};

Outcome decodeOnce(const uint8_t* data, int32_t size, bool useMmx) {
  lumiscene::DecodedPicture picture(useMmx);
  const bool ok = picture.decode(data, size);
  const bool empty = picture.pixels == nullptr && picture.width == 0 && picture.height == 0;
  const bool whole = picture.pixels != nullptr && picture.width > 0 && picture.height > 0;
  if (ok ? !whole : !empty) __builtin_trap();
  if (ok) {
    // Touch the last pixel so that a short pixel array shows up under the address sanitizer.
    volatile uint32_t last = picture.pixels[static_cast<size_t>(picture.width) * picture.height - 1];
    if ((last >> 24) != 0) __builtin_trap();
  }
  return {ok, picture.width, picture.height};
}

// A progressive picture decoded at 1/2, 1/4 or 1/8 of its size: each row it delivers
// has the reduced width, and a decoding that ends delivered exactly the reduced height.
void decodeReduced(const uint8_t* data, int32_t size, int32_t denominator) {
  lumiscene::MemorySource source(data, size);
  lumiscene::JpegDecoder decoder;
  decoder.open(&source, true);
  if (decoder.errorCode != 0) return;
  decoder.scaleDenominator = denominator;
  if (decoder.startDecompress() != 0) return;
  int32_t rows = 0, status = 0, count = 0;
  uint8_t* row = nullptr;
  while ((status = decoder.readRow(&row, &count)) == 0) {
    if (count != decoder.outputWidth * decoder.bytesPerPixel) __builtin_trap();
    volatile uint8_t last = row[count - 1];
    (void)last;
    ++rows;
  }
  if (status == 1 && rows != decoder.outputHeight) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  const int32_t n = static_cast<int32_t>(size);
  const Outcome integer = decodeOnce(data, n, false);
  const Outcome fast = decodeOnce(data, n, true);
  const uint8_t dri[] = {0xFF, 0xDD};
  const bool restarts = std::search(data, data + size, dri, dri + 2) != data + size;
  if (!restarts && (integer.ok != fast.ok || integer.width != fast.width || integer.height != fast.height)) {
    __builtin_trap();
  }
  decodeReduced(data, n, 2 << (size % 3));
  return 0;
}
