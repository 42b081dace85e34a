// The cross-fade kernels: the portable form and the AVX-512 (VBMI) form.
//
// Measured as BM_SceneInset (one inset step, 540 x 380 pixels blended, new
// weights every step) against one frame copy: the portable form about 13
// copies' time, the AVX-512 form about 3.5. AVX2 has no byte permutation that
// holds a 256-entry table in registers, so that form runs the portable code.
#include "scene/blend_kernels.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define LUMISCENE_BLEND_FORMS 1
#include <immintrin.h>
#endif

namespace lumiscene::blend_kernels {

namespace {

inline uint32_t blendPixel(const BlendTables& t, uint32_t d, uint32_t s) {
  const uint32_t keep = uint32_t{t.keepG[(d >> 8) & 0xFF]} << 8 | t.keepB[d & 0xFF];
  const uint32_t take = uint32_t{t.takeG[(s >> 8) & 0xFF]} << 8 | t.takeB[s & 0xFF];
  const uint32_t red = (uint32_t{t.keepR[(d >> 16) & 0xFF]} + t.takeR[(s >> 16) & 0xFF]) << 16;
  return (keep + take) | red;
}

void applyPortable(const BlendTables& t, uint32_t* frame, int64_t frameStride, const uint32_t* picture,
                   int64_t pictureStride, int32_t width, int32_t rows) {
  for (int32_t y = 0; y < rows; ++y, frame += frameStride, picture += pictureStride) {
    for (int32_t x = 0; x < width; ++x) frame[x] = blendPixel(t, frame[x], picture[x]);
  }
}

}  // namespace

#if defined(LUMISCENE_BLEND_FORMS)
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vl,avx512vbmi")
// GCC 12's lane extraction reads a deliberately undefined register and warns.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
namespace avx512 {

namespace {

// A 256-entry byte table as four registers.
struct ByteTable {
  explicit ByteTable(const uint8_t* entries)
      : low0(_mm512_load_si512(entries)),
        low1(_mm512_load_si512(entries + 64)),
        high0(_mm512_load_si512(entries + 128)),
        high1(_mm512_load_si512(entries + 192)) {}

  // Every byte of index looked up.
  __m512i operator()(__m512i index) const {
    const __m512i low = _mm512_permutex2var_epi8(low0, index, low1);
    const __m512i high = _mm512_permutex2var_epi8(high0, index, high1);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
  }

  __m512i low0, low1, high0, high1;
};

// Byte k of every pixel: blue, green, red, spare.
constexpr __mmask64 blueBytes = 0x1111111111111111ull;
constexpr __mmask64 greenBytes = 0x2222222222222222ull;
constexpr __mmask64 redBytes = 0x4444444444444444ull;

// The three channels of each pixel looked up in their own tables, the spare byte zero.
inline __m512i lookUp(const ByteTable& red, const ByteTable& green, const ByteTable& blue, __m512i pixels) {
  const __m512i b = _mm512_maskz_mov_epi8(blueBytes, blue(pixels));
  const __m512i g = _mm512_mask_mov_epi8(b, greenBytes, green(pixels));
  return _mm512_mask_mov_epi8(g, redBytes, red(pixels));
}

}  // namespace

void apply(const BlendTables& t, uint32_t* frame, int64_t frameStride, const uint32_t* picture,
           int64_t pictureStride, int32_t width, int32_t rows) {
  const ByteTable keepR(t.keepR.data()), keepG(t.keepG.data()), keepB(t.keepB.data());
  const ByteTable takeR(t.takeR.data()), takeG(t.takeG.data()), takeB(t.takeB.data());
  const __m512i greenBlue = _mm512_set1_epi32(0xFFFF);
  for (int32_t y = 0; y < rows; ++y, frame += frameStride, picture += pictureStride) {
    for (int32_t x = 0; x < width; x += 16) {
      const __mmask16 lanes = width - x >= 16 ? __mmask16(0xFFFF) : __mmask16((1u << (width - x)) - 1);
      const __m512i d = _mm512_maskz_loadu_epi32(lanes, frame + x);
      const __m512i s = _mm512_maskz_loadu_epi32(lanes, picture + x);
      const __m512i keep = lookUp(keepR, keepG, keepB, d);
      const __m512i take = lookUp(takeR, takeG, takeB, s);
      const __m512i sum =
          _mm512_add_epi32(_mm512_and_si512(keep, greenBlue), _mm512_and_si512(take, greenBlue));
      const __m512i red =
          _mm512_slli_epi32(_mm512_add_epi32(_mm512_srli_epi32(keep, 16), _mm512_srli_epi32(take, 16)), 16);
      _mm512_mask_storeu_epi32(frame + x, lanes, _mm512_or_si512(sum, red));
    }
  }
}

}  // namespace avx512
#pragma GCC diagnostic pop
#pragma GCC pop_options
#endif

ApplyBlend portableApply() { return applyPortable; }

ApplyBlend applyFor(cpu::Form form) {
#if defined(LUMISCENE_BLEND_FORMS)
  if (form == cpu::Form::Avx512) return avx512::apply;
#else
  (void)form;
#endif
  return applyPortable;
}

ApplyBlend chosenApply() { return applyFor(cpu::activeForm()); }

}  // namespace lumiscene::blend_kernels
