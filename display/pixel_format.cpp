#include "display/pixel_format.h"

#include <algorithm>
#include <cstring>

#include "display/display_depth.h"
#include "display/display_setup.h"
#include "display/wide_rows.h"
#include "scene/image.h"
#include "scene/pixel_rows.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumiscene {

PixelFormat pixelFormat;

namespace {

constexpr int32_t maxColumns = 640;
constexpr int32_t maxRows = 480;

int32_t lowestSetBit(uint32_t mask) {
  for (int32_t bit = 0; bit < 32; ++bit)
    if (mask & (1u << bit)) return bit;
  return 0;
}

int32_t highestSetBit(uint32_t mask) {
  for (int32_t bit = 31; bit >= 0; --bit)
    if (mask & (1u << bit)) return bit;
  return 0;
}

PixelFormat::Channel channelFor(uint32_t mask) {
  const int32_t low = std::clamp(lowestSetBit(mask), 0, 31);
  const int32_t high = std::min(std::max(highestSetBit(mask), low), 31);
  PixelFormat::Channel channel;
  channel.bits = std::clamp(high - low + 1, 1, 8);
  channel.shiftLeft = low;
  channel.shiftRight = 8 - channel.bits;
  return channel;
}

// 0x00RRGGBB to RGB 5-6-5, eight pixels a step where SSE2 is there.
void convertRow565(const uint32_t* source, uint16_t* destination, int32_t count) {
  int32_t x = 0;
#if defined(__SSE2__)
  const __m128i redMask = _mm_set1_epi32(0xF800), greenMask = _mm_set1_epi32(0x07E0),
                blueMask = _mm_set1_epi32(0x001F);
  for (; x + 8 <= count; x += 8) {
    __m128i packed[2];
    for (int half = 0; half < 2; ++half) {
      const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x + 4 * half));
      __m128i v = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(p, 8), redMask),
                               _mm_and_si128(_mm_srli_epi32(p, 5), greenMask));
      v = _mm_or_si128(v, _mm_and_si128(_mm_srli_epi32(p, 3), blueMask));
      // Sign-extend the 16-bit value so the signed pack below keeps it exactly.
      packed[half] = _mm_srai_epi32(_mm_slli_epi32(v, 16), 16);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + x), _mm_packs_epi32(packed[0], packed[1]));
  }
#endif
  for (; x < count; ++x) {
    const uint32_t p = source[x];
    destination[x] = static_cast<uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
  }
}

// Four pixels become twelve bytes in three word stores instead of twelve byte stores.
void convertRow24(const uint32_t* source, uint8_t* destination, int32_t count) {
  int32_t x = 0;
  for (; x + 4 <= count; x += 4, destination += 12) {
    const uint32_t p0 = source[x] & 0xFFFFFF, p1 = source[x + 1] & 0xFFFFFF, p2 = source[x + 2] & 0xFFFFFF,
                   p3 = source[x + 3] & 0xFFFFFF;
    const uint32_t w0 = p0 | (p1 << 24), w1 = (p1 >> 8) | (p2 << 16), w2 = (p2 >> 16) | (p3 << 8);
    std::memcpy(destination, &w0, 4);
    std::memcpy(destination + 4, &w1, 4);
    std::memcpy(destination + 8, &w2, 4);
  }
  for (; x < count; ++x, destination += 3) {
    const uint32_t p = source[x];
    destination[0] = static_cast<uint8_t>(p);
    destination[1] = static_cast<uint8_t>(p >> 8);
    destination[2] = static_cast<uint8_t>(p >> 16);
  }
}

// Any other layout: redTable[p >> 16] | greenBlueTable[p & 0xFFFF], one pixel a
// step. `store` writes the packed value at the depth's width.
template <typename Store>
void convertTablesFrom(const PixelFormat& format, const uint32_t* source, int32_t first, int32_t count,
                       Store store) {
  const uint32_t* red = format.redTable.get();
  const uint32_t* greenBlue = format.greenBlueTable.get();
  for (int32_t x = first; x < count; ++x) {
    const uint32_t p = source[x];
    store(x, red[p >> 16] | greenBlue[p & 0xFFFF]);
  }
}

// pack()'s shifts, as the wide converters and the SSE2 packing take them.
wide_rows::Shifts shiftsOf(const PixelFormat& format) {
  return {format.red.shiftRight,  format.red.shiftLeft,   format.green.shiftRight,
          format.green.shiftLeft, format.blue.shiftRight, format.blue.shiftLeft};
}

#if defined(__SSE2__)
// The tables hold pack(r, g, b) of every channel value, and pack is a shift
// and a mask per channel; computing it four pixels at a time gives the same
// words without the random reads into the 256 KB table.
class PackedShifts {
 public:
  explicit PackedShifts(const PixelFormat& format)
      : PackedShifts(wide_rows::ChannelMoves(shiftsOf(format))) {}

  __m128i pack(__m128i p) const {
    return _mm_or_si128(_mm_or_si128(move(p, red), move(p, green)), move(p, blue));
  }

 private:
  struct Move {
    __m128i right, left, mask;
  };

  explicit PackedShifts(const wide_rows::ChannelMoves& m)
      : red(moveOf(m.red)), green(moveOf(m.green)), blue(moveOf(m.blue)) {}

  static Move moveOf(const wide_rows::ChannelMove& m) {
    return {_mm_cvtsi32_si128(m.right), _mm_cvtsi32_si128(m.left),
            _mm_set1_epi32(static_cast<int32_t>(m.mask))};
  }

  static __m128i move(__m128i p, const Move& m) {
    return _mm_and_si128(_mm_sll_epi32(_mm_srl_epi32(p, m.right), m.left), m.mask);
  }

  Move red, green, blue;
};
#endif

void convertRowTables32(const PixelFormat& format, const uint32_t* source, uint32_t* out, int32_t count) {
  int32_t x = 0;
#if defined(__SSE2__)
  const PackedShifts shifts(format);
  for (; x + 4 <= count; x += 4) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), shifts.pack(p));
  }
#endif
  convertTablesFrom(format, source, x, count, [out](int32_t i, uint32_t v) { out[i] = v; });
}

void convertRowTables16(const PixelFormat& format, const uint32_t* source, uint16_t* out, int32_t count) {
  int32_t x = 0;
#if defined(__SSE2__)
  const PackedShifts shifts(format);
  for (; x + 8 <= count; x += 8) {
    __m128i halves[2];
    for (int half = 0; half < 2; ++half) {
      const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x + 4 * half));
      // Keep the low 16 bits, sign-extended so that the signed pack keeps them exactly.
      halves[half] = _mm_srai_epi32(_mm_slli_epi32(shifts.pack(p), 16), 16);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packs_epi32(halves[0], halves[1]));
  }
#endif
  convertTablesFrom(format, source, x, count,
                    [out](int32_t i, uint32_t v) { out[i] = static_cast<uint16_t>(v); });
}

void convertRowTables24(const PixelFormat& format, const uint32_t* source, uint8_t* out, int32_t count) {
  int32_t x = 0;
#if defined(__SSE2__)
  const PackedShifts shifts(format);
  alignas(16) uint32_t packed[4];
  for (; x + 4 <= count; x += 4) {
    _mm_store_si128(reinterpret_cast<__m128i*>(packed),
                    shifts.pack(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x))));
    convertRow24(packed, out + 3 * x, 4);
  }
#endif
  convertTablesFrom(format, source, x, count, [out](int32_t i, uint32_t v) {
    out[3 * i] = static_cast<uint8_t>(v);
    out[3 * i + 1] = static_cast<uint8_t>(v >> 8);
    out[3 * i + 2] = static_cast<uint8_t>(v >> 16);
  });
}

}  // namespace

PixelFormat::PixelFormat()
    : redTable(std::make_unique<uint32_t[]>(256)), greenBlueTable(std::make_unique<uint32_t[]>(65536)) {}

void PixelFormat::setMasks(int32_t bits, uint32_t r, uint32_t g, uint32_t b) {
  bitsPerPixel = std::clamp(bits, 16, 32);
  redMask = r;
  greenMask = g;
  blueMask = b;
  red = channelFor(r);
  green = channelFor(g);
  blue = channelFor(b);
}

void PixelFormat::setStandard(int32_t bits) {
  const int32_t depth = std::clamp(bits, 16, 32);
  if (depth == 16) {
    setMasks(depth, 0xF800, 0x07E0, 0x001F);
  } else {
    setMasks(depth, 0xFF0000, 0x00FF00, 0x0000FF);
  }
}

bool PixelFormat::isStandard() const {
  if (bitsPerPixel == 16) return redMask == 0xF800 && greenMask == 0x07E0 && blueMask == 0x001F;
  return redMask == 0xFF0000 && greenMask == 0x00FF00 && blueMask == 0x0000FF;
}

uint32_t PixelFormat::pack(uint32_t r, uint32_t g, uint32_t b) const {
  return ((r >> red.shiftRight) << red.shiftLeft) | ((g >> green.shiftRight) << green.shiftLeft) |
         ((b >> blue.shiftRight) << blue.shiftLeft);
}

void PixelFormat::buildTables() {
  for (uint32_t r = 0; r < 256; ++r) redTable[r] = pack(r, 0, 0);
  for (uint32_t g = 0; g < 256; ++g)
    for (uint32_t b = 0; b < 256; ++b) greenBlueTable[g * 256 + b] = pack(0, g, b);
}

namespace {

// GetPixelFormat into a zero-filled structure, so that fields the call leaves alone read 0.
HRESULT readPixelFormat(IDirectDrawSurface7* surface, DDPIXELFORMAT& format) {
  std::memset(&format, 0, sizeof(format));
  format.dwSize = sizeof(format);
  return surface != nullptr ? surface->GetPixelFormat(&format) : E_POINTER;
}

}  // namespace

HRESULT readSurfaceDepth(IDirectDrawSurface7* surface, int32_t& bits) {
  DDPIXELFORMAT format;
  const HRESULT result = readPixelFormat(surface, format);
  bits = static_cast<int32_t>(format.dwRGBBitCount);
  return result;
}

void setUpPixelFormat() {
  DDPIXELFORMAT format;
  if (SUCCEEDED(readPixelFormat(frameSurface ? frameSurface->surface : nullptr, format))) {
    displayDepth = static_cast<int32_t>(format.dwRGBBitCount);
    pixelFormat.setMasks(displayDepth, format.dwRBitMask, format.dwGBitMask, format.dwBBitMask);
  } else {
    displayDepth = 32;
    pixelFormat.setStandard(32);
  }
  pixelFormat.buildTables();
}

void convertPixels(const PixelFormat& format, int32_t depth, const uint32_t* source, int32_t sourceWidth,
                   uint8_t* destination, int32_t pitch, int32_t columns, int32_t rows) {
  if (depth != 16 && depth != 24 && depth != 32) return;
  // The layout and the instruction-set form are decided once per frame, not per pixel.
  const bool standard = format.isStandard();
  const wide_rows::Converters* wide = wide_rows::convertersFor(cpu::activeForm());
  const wide_rows::Shifts shifts = shiftsOf(format);
  if (columns == sourceWidth && pitch == columns * (depth / 8) && columns > 0 && rows > 0 &&
      static_cast<int64_t>(columns) * rows <= INT32_MAX) {
    // Rows that follow each other without a gap on both sides are one row, and
    // in the usual layout one copy, which runs at the memory's speed.
    if (depth == 32 && standard) {
      std::memcpy(destination, source, static_cast<size_t>(columns) * 4 * static_cast<size_t>(rows));
      return;
    }
    columns *= rows;
    rows = 1;
  }
  for (int32_t y = 0; y < rows; ++y, source += sourceWidth, destination += pitch) {
    if (depth == 32 && standard) {
      pixel_rows::chosen::copyRow(reinterpret_cast<uint32_t*>(destination), source, columns);
      continue;
    }
    // The wide form converts whole registers; the rest of the row goes the SSE2 way.
    int32_t x = 0;
    if (wide != nullptr) {
      const wide_rows::Row row = depth == 32   ? wide->packed32
                                 : depth == 16 ? (standard ? wide->rgb565 : wide->packed16)
                                               : (standard ? wide->rgb24 : wide->packed24);
      x = row(shifts, source, destination, columns);
    }
    const uint32_t* from = source + x;
    const int32_t left = columns - x;
    if (depth == 32) {
      convertRowTables32(format, from, reinterpret_cast<uint32_t*>(destination) + x, left);
    } else if (depth == 16) {
      uint16_t* out = reinterpret_cast<uint16_t*>(destination) + x;
      if (standard) {
        convertRow565(from, out, left);
      } else {
        convertRowTables16(format, from, out, left);
      }
    } else if (standard) {
      convertRow24(from, destination + 3 * x, left);
    } else {
      convertRowTables24(format, from, destination + 3 * x, left);
    }
  }
}

namespace {

bool samePixelFormat(const DDPIXELFORMAT& a, const DDPIXELFORMAT& b) {
  return a.dwRGBBitCount == b.dwRGBBitCount && a.dwRBitMask == b.dwRBitMask && a.dwGBitMask == b.dwGBitMask &&
         a.dwBBitMask == b.dwBBitMask &&
         (a.dwFlags & DDPF_PALETTEINDEXED8) == (b.dwFlags & DDPF_PALETTEINDEXED8);
}

// Locks the surface and converts the frame into it. With a model, a surface of
// another size or layout than the model's is left as it was and S_FALSE returned.
HRESULT convertInto(IDirectDrawSurface7* surface, const Image* image, const DDSURFACEDESC2* model) {
  int32_t depth = 0;
  HRESULT result = readSurfaceDepth(surface, depth);
  if (result != S_OK) return result;
  DDSURFACEDESC2 locked = emptySurfaceDesc();
  result = surface->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_NOSYSLOCK, nullptr);
  if (result != S_OK) return result;
  if (model != nullptr && (locked.dwWidth != model->dwWidth || locked.dwHeight != model->dwHeight ||
                           !samePixelFormat(locked.ddpfPixelFormat, model->ddpfPixelFormat))) {
    surface->Unlock(nullptr);
    return S_FALSE;
  }
  if (image != nullptr && image->pixels != nullptr && locked.lpSurface != nullptr) {
    const int32_t columns = std::min(image->width, maxColumns);
    const int32_t rows = std::min(image->height, maxRows);
    convertPixels(pixelFormat, depth, image->pixels.get(), image->width,
                  static_cast<uint8_t*>(locked.lpSurface), static_cast<int32_t>(locked.lPitch), columns,
                  rows);
  }
  surface->Unlock(nullptr);
  return S_OK;
}

}  // namespace

HRESULT transferFrame(const Image* image) {
  // Without a frame surface there is nothing to write into: a failure, not a crash.
  if (!frameSurface || frameSurface->surface == nullptr) return E_POINTER;
  return convertInto(frameSurface->surface, image, nullptr);
}

HRESULT transferFrameInto(const Image* image, IDirectDrawSurface7* surface) {
  if (!frameSurface || frameSurface->surface == nullptr || surface == nullptr) return E_POINTER;
  return convertInto(surface, image, &frameSurface->desc);
}

}  // namespace lumiscene
