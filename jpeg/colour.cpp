// Output of a decoded MCU row: the choice of layout and the per-decode buffers, the
// fixed-point YCbCr-to-RGB conversion through four tables, chroma upsampling by plain
// replication for the four colour layouts, grey rows, and the packing of a delivered
// row into 0x00RRGGBB pixels.
#include <bit>
#include <cstring>

#include "jpeg/colour_convert.h"
#include "jpeg/jpeg_decoder.h"

namespace lumiscene {

namespace {

inline uint8_t clampChannel(int32_t v) {
  if (v & ~0xFF) v = v < 0 ? 0 : 255;
  return static_cast<uint8_t>(v);
}

// Writes R, G, B of one pixel and the zero fourth byte.
inline void pixel(const ColourTables& t, uint8_t* dst, int32_t y, int32_t cb, int32_t cr) {
  dst[0] = clampChannel(y + t.crToR[cr]);
  dst[1] = clampChannel(y + ((t.cbToG[cb] + t.crToG[cr]) >> 16));
  dst[2] = clampChannel(y + t.cbToB[cb]);
  dst[3] = 0;
}

}  // namespace

void JpegDecoder::setUpOutput() {
  if (componentCount != 1 && componentCount != 3) fail(ComponentCountUnsupported);
  if (componentCount == 1) {
    outputLayout = 0;
    blocksPerMcu = 1;
    mcuWidth = mcuHeight = 8;
  } else {
    for (int c = 1; c < 3; ++c) {
      if (compHSamp[c] != 1 || compVSamp[c] != 1) fail(SamplingUnsupported);
    }
    int32_t h = compHSamp[0], v = compVSamp[0];
    if (h == 1 && v == 1) {
      outputLayout = 1;
    } else if (h == 2 && v == 1) {
      outputLayout = 2;
    } else if (h == 1 && v == 2) {
      outputLayout = 3;
    } else if (h == 2 && v == 2) {
      outputLayout = 4;
    } else {
      fail(SamplingUnsupported);
    }
    blocksPerMcu = h * v + 2;
    mcuWidth = 8 * h;
    mcuHeight = 8 * v;
  }
  mcusPerRow = (imageWidth + mcuWidth - 1) / mcuWidth;
  mcuRows = (imageHeight + mcuHeight - 1) / mcuHeight;
  bytesPerPixel = outputLayout == 0 ? 1 : 4;
  rowBytes = imageWidth * bytesPerPixel;
  rowBufferBytes = ((imageWidth + 15) & 0xFFF0) * bytesPerPixel;
  rowBuffer0 = static_cast<uint8_t*>(allocate(rowBufferBytes + 8));
  rowBuffer1 = static_cast<uint8_t*>(allocate(rowBufferBytes + 8));
  blocksPerMcuRow = blocksPerMcu * mcusPerRow;
  if (blocksPerMcuRow > kMaxBlocksPerMcuRow) fail(BlockIndexOutOfRange);
  auto* blocks = static_cast<uint8_t*>(allocate(blocksPerMcuRow * 128 + 8));
  for (int32_t i = 0; i < blocksPerMcuRow; ++i) {
    coefBlocks[i] = reinterpret_cast<int16_t*>(blocks + 128 * i);
    blockDirty[i] = 64;
  }
  sampleBuffer = static_cast<uint8_t*>(allocate(blocksPerMcuRow * 64 + 8));
  rowsLeft = imageHeight;
  outputWidth = imageWidth;
  outputHeight = imageHeight;
  rowsLeftInMcuRow = 0;
  buildColourTables();
}

void JpegDecoder::buildColourTables() {
  // 16.16 fixed point: 1.402, 1.772, 0.71414 and 0.34414 (ITU-T T.871 YCbCr).
  int32_t r = -11728128, b = -14831872, gCr = 5990656, gCb = 2919680;
  for (int i = 0; i < 256; ++i) {
    crToR[i] = r >> 16;
    cbToB[i] = b >> 16;
    crToG[i] = gCr;
    cbToG[i] = gCb;
    r += 91882;
    b += 116130;
    gCr -= 46802;
    gCb -= 22554;
  }
}

void convertH1V1(const ColourTables& t, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* dst) {
  for (int32_t m = 0; m < mcus; ++m) {
    const uint8_t* mcu = samples + 192 * m + 8 * r;
    for (int x = 0; x < 8; ++x, dst += 4) pixel(t, dst, mcu[x], mcu[64 + x], mcu[128 + x]);
  }
}

void convertH2V1(const ColourTables& t, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* dst) {
  for (int32_t m = 0; m < mcus; ++m) {
    const uint8_t* mcu = samples + 256 * m + 8 * r;
    for (int j = 0; j < 8; ++j, dst += 8) {
      const uint8_t* luma = mcu + (j < 4 ? 2 * j : 64 + 2 * j - 8);
      int32_t cb = mcu[128 + j], cr = mcu[192 + j];
      pixel(t, dst, luma[0], cb, cr);
      pixel(t, dst + 4, luma[1], cb, cr);
    }
  }
}

void convertH1V2(const ColourTables& t, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* upper,
                 uint8_t* lower) {
  const int32_t lumaOffset = r < 8 ? 8 * r : 64 + 8 * (r - 8);
  for (int32_t m = 0; m < mcus; ++m) {
    const uint8_t* mcu = samples + 256 * m;
    const uint8_t* luma = mcu + lumaOffset;
    const uint8_t* chroma = mcu + 128 + 8 * (r / 2);
    for (int x = 0; x < 8; ++x, upper += 4, lower += 4) {
      int32_t cb = chroma[x], cr = chroma[64 + x];
      pixel(t, upper, luma[x], cb, cr);
      pixel(t, lower, luma[8 + x], cb, cr);
    }
  }
}

void convertH2V2(const ColourTables& t, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* upper,
                 uint8_t* lower) {
  const int32_t lumaOffset = (r < 8 ? 0 : 128) + 8 * (r & 7);
  for (int32_t m = 0; m < mcus; ++m) {
    const uint8_t* mcu = samples + 384 * m;
    const uint8_t* chroma = mcu + 256 + 8 * (r / 2);
    for (int j = 0; j < 8; ++j, upper += 8, lower += 8) {
      const uint8_t* luma = mcu + lumaOffset + (j < 4 ? 2 * j : 64 + 2 * j - 8);
      int32_t cb = chroma[j], cr = chroma[64 + j];
      pixel(t, upper, luma[0], cb, cr);
      pixel(t, upper + 4, luma[1], cb, cr);
      pixel(t, lower, luma[8], cb, cr);
      pixel(t, lower + 4, luma[9], cb, cr);
    }
  }
}

// The converters are chosen at compile time: SSE2 on x86-64, the table form elsewhere.
#if defined(__SSE2__)
namespace kernels = sse2;
#else
namespace kernels = ::lumiscene;
#endif

uint8_t* JpegDecoder::produceRow() {
  const int32_t r = mcuHeight - rowsLeftInMcuRow;
  const ColourTables tables{crToR, cbToB, crToG, cbToG};
  switch (outputLayout) {
    case 0:
      for (int32_t m = 0; m < mcusPerRow; ++m) {
        const uint8_t* src = sampleBuffer + 64 * m + 8 * r;
        for (int x = 0; x < 8; ++x) rowBuffer0[8 * m + x] = src[x];
      }
      return rowBuffer0;
    case 1:
      kernels::convertH1V1(tables, sampleBuffer, mcusPerRow, r, rowBuffer0);
      return rowBuffer0;
    case 2:
      kernels::convertH2V1(tables, sampleBuffer, mcusPerRow, r, rowBuffer0);
      return rowBuffer0;
    case 3:
    default:
      // Two luma rows share a chroma row: both are made at once, and the odd call
      // hands out the lower one made by the call before.
      if (rowsLeftInMcuRow & 1) return rowBuffer1;
      if (outputLayout == 3) {
        kernels::convertH1V2(tables, sampleBuffer, mcusPerRow, r, rowBuffer0, rowBuffer1);
      } else {
        kernels::convertH2V2(tables, sampleBuffer, mcusPerRow, r, rowBuffer0, rowBuffer1);
      }
      return rowBuffer0;
  }
}

void packRow(const uint8_t* row, int32_t width, int32_t bytesPerPixel, int32_t componentCount,
             uint32_t* out) {
  if (componentCount == 3 && bytesPerPixel == 4 && std::endian::native == std::endian::little) {
    // Whole-word loads let the compiler swap red and blue several pixels at a time.
    for (int32_t x = 0; x < width; ++x) {
      uint32_t s;
      std::memcpy(&s, row + 4 * x, 4);
      out[x] = ((s & 0xFF) << 16) | (s & 0xFF00) | ((s >> 16) & 0xFF);
    }
  } else if (componentCount == 3) {
    for (int32_t x = 0; x < width; ++x, row += bytesPerPixel) {
      out[x] = (uint32_t{row[0]} << 16) | (uint32_t{row[1]} << 8) | row[2];
    }
  } else {
    for (int32_t x = 0; x < width; ++x, row += bytesPerPixel) out[x] = row[0] * 0x010101u;
  }
}

}  // namespace lumiscene
