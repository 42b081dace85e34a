// The colour-layout converters with SSE2. The table values are rewritten so that
// every factor fits a signed 16-bit multiply-add and the result stays exact:
//   crToR[cr] = cr' + ((26346 cr' + 32768) >> 16)             (91882 = 65536 + 26346)
//   cbToB[cb] = 2 cb' + ((-14942 cb' + 32768) >> 16)          (116130 = 131072 - 14942)
//   (cbToG[cb] + crToG[cr]) >> 16
//             = -cr' + ((-22554 cb' + 18734 cr' + 32768) >> 16) (46802 = 65536 - 18734)
// with cb' = cb - 128 and cr' = cr - 128; a whole multiple of 65536 passes through an
// arithmetic shift by 16 unchanged. Saturating packs do the clamp to 0..255.
#include "jpeg/colour_convert.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace lumiscene::sse2 {

namespace {

struct Deltas {
  __m128i r, g, b;  // eight 16-bit values, one per chroma sample
};

inline __m128i widen8(const uint8_t* p) {
  return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}

inline __m128i pairConstant(int16_t low, int16_t high) {
  return _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16) |
                                             static_cast<uint16_t>(low)));
}

// (a * ka + b * kb) >> 16 for eight lane pairs, narrowed back to 16 bits.
inline __m128i madShift(__m128i a, __m128i b, __m128i k, __m128i round) {
  __m128i lo = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), k), round);
  __m128i hi = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a, b), k), round);
  return _mm_packs_epi32(_mm_srai_epi32(lo, 16), _mm_srai_epi32(hi, 16));
}

inline Deltas chromaDeltas(const uint8_t* cbRow, const uint8_t* crRow) {
  const __m128i bias = _mm_set1_epi16(128);
  const __m128i two = _mm_set1_epi16(2);
  const __m128i none = _mm_setzero_si128();
  __m128i cb = _mm_sub_epi16(widen8(cbRow), bias);
  __m128i cr = _mm_sub_epi16(widen8(crRow), bias);
  Deltas d;
  // The pair (x, 2) times (k, 16384) adds the rounding half 32768.
  d.r = _mm_add_epi16(cr, madShift(cr, two, pairConstant(26346, 16384), none));
  d.b = _mm_add_epi16(_mm_add_epi16(cb, cb), madShift(cb, two, pairConstant(-14942, 16384), none));
  d.g = _mm_sub_epi16(madShift(cb, cr, pairConstant(-22554, 18734), _mm_set1_epi32(32768)), cr);
  return d;
}

inline Deltas duplicateLow(const Deltas& d) {
  return {_mm_unpacklo_epi16(d.r, d.r), _mm_unpacklo_epi16(d.g, d.g), _mm_unpacklo_epi16(d.b, d.b)};
}

inline Deltas duplicateHigh(const Deltas& d) {
  return {_mm_unpackhi_epi16(d.r, d.r), _mm_unpackhi_epi16(d.g, d.g), _mm_unpackhi_epi16(d.b, d.b)};
}

// Eight pixels R, G, B, 0 from eight luma samples and their chroma deltas.
inline void store8(uint8_t* dst, const uint8_t* luma, const Deltas& d) {
  __m128i y = widen8(luma);
  __m128i zero = _mm_setzero_si128();
  __m128i r = _mm_packus_epi16(_mm_add_epi16(y, d.r), zero);
  __m128i g = _mm_packus_epi16(_mm_add_epi16(y, d.g), zero);
  __m128i b = _mm_packus_epi16(_mm_add_epi16(y, d.b), zero);
  __m128i rg = _mm_unpacklo_epi8(r, g);
  __m128i b0 = _mm_unpacklo_epi8(b, zero);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_unpacklo_epi16(rg, b0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16), _mm_unpackhi_epi16(rg, b0));
}

}  // namespace

void convertH1V1(const ColourTables&, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* dst) {
  for (int32_t m = 0; m < mcus; ++m, dst += 32) {
    const uint8_t* mcu = samples + 192 * m + 8 * r;
    store8(dst, mcu, chromaDeltas(mcu + 64, mcu + 128));
  }
}

void convertH2V1(const ColourTables&, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* dst) {
  for (int32_t m = 0; m < mcus; ++m, dst += 64) {
    const uint8_t* mcu = samples + 256 * m + 8 * r;
    Deltas d = chromaDeltas(mcu + 128, mcu + 192);
    store8(dst, mcu, duplicateLow(d));
    store8(dst + 32, mcu + 64, duplicateHigh(d));
  }
}

void convertH1V2(const ColourTables&, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* upper,
                 uint8_t* lower) {
  const int32_t lumaOffset = r < 8 ? 8 * r : 64 + 8 * (r - 8);
  for (int32_t m = 0; m < mcus; ++m, upper += 32, lower += 32) {
    const uint8_t* mcu = samples + 256 * m;
    const uint8_t* chroma = mcu + 128 + 8 * (r / 2);
    Deltas d = chromaDeltas(chroma, chroma + 64);
    store8(upper, mcu + lumaOffset, d);
    store8(lower, mcu + lumaOffset + 8, d);
  }
}

void convertH2V2(const ColourTables&, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* upper,
                 uint8_t* lower) {
  const int32_t lumaOffset = (r < 8 ? 0 : 128) + 8 * (r & 7);
  for (int32_t m = 0; m < mcus; ++m, upper += 64, lower += 64) {
    const uint8_t* mcu = samples + 384 * m;
    const uint8_t* chroma = mcu + 256 + 8 * (r / 2);
    Deltas d = chromaDeltas(chroma, chroma + 64);
    Deltas left = duplicateLow(d), right = duplicateHigh(d);
    const uint8_t* luma = mcu + lumaOffset;
    store8(upper, luma, left);
    store8(upper + 32, luma + 64, right);
    store8(lower, luma + 8, left);
    store8(lower + 32, luma + 72, right);
  }
}

}  // namespace lumiscene::sse2

#endif
