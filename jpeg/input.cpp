// The input buffer and the reader set-up: refilling the 4096-byte buffer from the
// source, the header reader over plain bytes, and loading the entropy reader chosen
// for a scan. Byte fetches and the bit readers themselves are inline in
// entropy_reader.h.
#include <cstring>

#include "jpeg/entropy_reader.h"

namespace lumiscene {

void JpegDecoder::refillInput() {
  inCur = inBuffer();
  inAvail = 0;
  if (sourceAtEnd) return;
  do {
    int32_t got = source->read(inBuffer() + inAvail, kInputSize - inAvail, &sourceAtEnd);
    if (got < 0) fail(SourceReadFailed);
    inAvail += got;
  } while (inAvail < kInputSize && !sourceAtEnd);
  // The tail after the data holds end-of-image markers.
  uint8_t* tail = inBuffer() + inAvail;
  for (int i = 0; i < kInputTail; i += 2) {
    tail[i] = 0xFF;
    tail[i + 1] = 0xD9;
  }
}

uint32_t JpegDecoder::readHeaderBits(int32_t n) {
  uint32_t reg = static_cast<uint32_t>(bitRegister);
  uint32_t result = readBits32(reg, bitReserve, n, [this] { return nextByte(); });
  bitRegister = reg;
  return result;
}

uint32_t JpegDecoder::readEntropyBits(int32_t n) {
  EntropyReader32 reader(*this);
  uint32_t result = reader.bits(n);
  reader.store();
  return result;
}

uint32_t JpegDecoder::readEntropyBits64(int32_t n) {
  EntropyReader64 reader(*this);
  uint32_t result = reader.bits(n);
  reader.store();
  return result;
}

void JpegDecoder::primeHeaderReader() {
  uint32_t b0 = nextByte();
  uint32_t b1 = nextByte();
  uint32_t b2 = nextByte();
  uint32_t b3 = nextByte();
  bitRegister = (b2 << 24) | (b3 << 16) | (b0 << 8) | b1;
  bitReserve = 16;
}

void JpegDecoder::primeEntropyReader() {
  // Header parsing consumes whole bytes, so the reader holds 8 or 16 reserve bits
  // here; putting its unconsumed bytes back returns the read position exactly to the
  // first byte after the scan header.
  auto reg = static_cast<uint32_t>(bitRegister);
  if (bitReserve == 16) putBack((reg >> 16) & 0xFF);
  if (bitReserve >= 8) putBack(reg >> 24);
  putBack(reg & 0xFF);
  putBack((reg >> 8) & 0xFF);
  loadEntropyReader();
}

void JpegDecoder::loadEntropyReader() {
  if (mmxBitReader) {
    bitReserve = 48;
    for (int i = 0; i < 4; ++i) readEntropyBits64(16);
  } else {
    uint32_t b0 = nextEntropyByte();
    uint32_t b1 = nextEntropyByte();
    uint32_t b2 = nextEntropyByte();
    uint32_t b3 = nextEntropyByte();
    bitRegister = (b2 << 24) | (b3 << 16) | (b0 << 8) | b1;
    bitReserve = 16;
  }
}

}  // namespace lumiscene
