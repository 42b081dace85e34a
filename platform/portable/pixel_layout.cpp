// Conversions between pixel values of a layout and colour channels.
#include "platform/portable/pixel_layout.h"

#include <cstddef>
#include <cstring>

#include "cpu/instruction_set.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define PORTABLE_WIDE_DECODE 1
#include <immintrin.h>
#endif

namespace portable {

namespace {

// The usual layout's pixels with their top byte cleared; returns the top
// bytes OR-ed. Every windowed frame passes through here on its way to the
// screen.
uint32_t decodeStraight(const uint8_t* source, uint32_t* target, int32_t count) {
  uint32_t above = 0;
  for (int32_t i = 0; i < count; ++i) {
    uint32_t value;
    std::memcpy(&value, source + static_cast<ptrdiff_t>(i) * 4, 4);
    target[i] = value & 0xFFFFFF;
    above |= value;
  }
  return above & 0xFF000000u;
}

#if defined(PORTABLE_WIDE_DECODE)
// The same in 32-byte registers, for the AVX2 and AVX-512 forms: a quarter
// faster than the 16-byte loop the compiler makes of the plain one (the
// 64-byte registers gain nothing more).
#pragma GCC push_options
#pragma GCC target("avx2")
uint32_t decodeStraightWide(const uint8_t* source, uint32_t* target, int32_t count) {
  const __m256i colour = _mm256_set1_epi32(0xFFFFFF);
  __m256i above = _mm256_setzero_si256();
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i value =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + static_cast<ptrdiff_t>(i) * 4));
    above = _mm256_or_si256(above, value);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + i), _mm256_and_si256(value, colour));
  }
  alignas(32) uint32_t lanes[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), above);
  uint32_t all = 0;
  for (const uint32_t lane : lanes) all |= lane;
  return (all & 0xFF000000u) | decodeStraight(source + static_cast<ptrdiff_t>(i) * 4, target + i, count - i);
}
#pragma GCC pop_options
#endif

int32_t lowestBit(uint32_t mask) {
  for (int32_t bit = 0; bit < 32; ++bit)
    if (mask & (1u << bit)) return bit;
  return 0;
}

int32_t bitCount(uint32_t mask) {
  int32_t count = 0;
  for (; mask != 0; mask &= mask - 1) ++count;
  return count;
}

uint32_t packChannel(uint32_t mask, uint8_t value) {
  if (mask == 0) return 0;
  const int32_t bits = bitCount(mask) > 8 ? 8 : bitCount(mask);
  return (static_cast<uint32_t>(value >> (8 - bits)) << lowestBit(mask)) & mask;
}

uint32_t unpackChannel(uint32_t mask, uint32_t value) {
  if (mask == 0) return 0;
  int32_t bits = bitCount(mask);
  uint32_t channel = (value & mask) >> lowestBit(mask);
  if (bits > 8) return (channel >> (bits - 8)) & 0xFF;
  // Repeat the kept bits downwards so that full intensity stays 255.
  uint32_t widened = 0;
  for (int32_t filled = 0; filled < 8; filled += bits) widened = (widened << bits) | channel;
  return (widened >> ((8 + bits - 1) / bits * bits - 8)) & 0xFF;
}

}  // namespace

PixelLayout standardLayout(int32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 8:
      return {8, 0xE0, 0x1C, 0x03};
    case 16:
      return {16, 0xF800, 0x07E0, 0x001F};
    case 24:
      return {24, 0xFF0000, 0x00FF00, 0x0000FF};
    default:
      return {32, 0xFF0000, 0x00FF00, 0x0000FF};
  }
}

bool isSupportedLayout(const PixelLayout& layout) {
  const int32_t bits = layout.bitsPerPixel;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  const uint32_t all = layout.valueMask();
  const uint32_t masks[3] = {layout.redMask, layout.greenMask, layout.blueMask};
  for (uint32_t mask : masks)
    if (mask == 0 || (mask & ~all) != 0) return false;
  return (layout.redMask & layout.greenMask) == 0 && (layout.redMask & layout.blueMask) == 0 &&
         (layout.greenMask & layout.blueMask) == 0;
}

uint32_t encodePixel(const PixelLayout& layout, uint8_t red, uint8_t green, uint8_t blue) {
  return packChannel(layout.redMask, red) | packChannel(layout.greenMask, green) |
         packChannel(layout.blueMask, blue);
}

uint32_t decodePixel(const PixelLayout& layout, uint32_t value) {
  return unpackChannel(layout.redMask, value) << 16 | unpackChannel(layout.greenMask, value) << 8 |
         unpackChannel(layout.blueMask, value);
}

RowDecoder::RowDecoder(const PixelLayout& layout)
    : straight_(layout == standardLayout(32)), bytes_(layout.bytesPerPixel()) {
  // A decoder is made for every present; the usual layout needs no tables.
  if (straight_) return;
  const uint32_t masks[3] = {layout.redMask, layout.greenMask, layout.blueMask};
  for (int32_t index = 0; index < 3; ++index) {
    Channel& channel = channels_[index];
    if (masks[index] == 0) continue;
    channel.low = lowestBit(masks[index]);
    int32_t bits = bitCount(masks[index]);
    // Channels wider than 8 bits keep their top 8.
    if (bits > 8) {
      channel.low += bits - 8;
      bits = 8;
    }
    channel.mask = (1u << bits) - 1;
    for (uint32_t value = 0; value <= channel.mask; ++value)
      channel.widen[value] = static_cast<uint8_t>(unpackChannel(channel.mask, value));
  }
}

uint32_t RowDecoder::decode(const uint8_t* source, uint32_t* target, int32_t count) const {
  if (straight_) {
#if defined(PORTABLE_WIDE_DECODE)
    if (lumiscene::cpu::activeForm() != lumiscene::cpu::Form::Sse2)
      return decodeStraightWide(source, target, count);
#endif
    return decodeStraight(source, target, count);
  }
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t value = readPixel(source + static_cast<ptrdiff_t>(i) * bytes_, bytes_);
    target[i] =
        static_cast<uint32_t>(channels_[0].widen[(value >> channels_[0].low) & channels_[0].mask]) << 16 |
        static_cast<uint32_t>(channels_[1].widen[(value >> channels_[1].low) & channels_[1].mask]) << 8 |
        channels_[2].widen[(value >> channels_[2].low) & channels_[2].mask];
  }
  return 0;
}

}  // namespace portable
