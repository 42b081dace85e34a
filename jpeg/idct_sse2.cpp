// The four-lane transform with SSE2: eight 16-bit lanes carry eight columns (then
// eight rows) at once, with exactly the lane arithmetic of the portable form in
// idct.cpp (wrapping adds, high-half products of the lane shifted left by 2, a
// truncating shift by 5, saturating level shift and pack), so both give the same bytes.
#include "jpeg/jpeg_tables.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace lumiscene {

namespace {

inline __m128i mul(__m128i k, __m128i c) { return _mm_mulhi_epi16(_mm_slli_epi16(k, 2), c); }

inline void aanStep(const __m128i* x, __m128i* y) {
  const __m128i sqrt2 = _mm_set1_epi16(23170);
  const __m128i c30273 = _mm_set1_epi16(30273);
  const __m128i cm12540 = _mm_set1_epi16(-12540);
  const __m128i cm30353 = _mm_set1_epi16(-30353);

  __m128i tmp10 = _mm_add_epi16(x[0], x[4]);
  __m128i tmp11 = _mm_sub_epi16(x[0], x[4]);
  __m128i tmp13 = _mm_add_epi16(x[2], x[6]);
  __m128i tmp12 = _mm_sub_epi16(mul(_mm_sub_epi16(x[2], x[6]), sqrt2), tmp13);
  __m128i tmp0 = _mm_add_epi16(tmp10, tmp13), tmp3 = _mm_sub_epi16(tmp10, tmp13);
  __m128i tmp1 = _mm_add_epi16(tmp11, tmp12), tmp2 = _mm_sub_epi16(tmp11, tmp12);

  __m128i z13 = _mm_add_epi16(x[5], x[3]), z10 = _mm_sub_epi16(x[5], x[3]);
  __m128i z11 = _mm_add_epi16(x[1], x[7]), z12 = _mm_sub_epi16(x[1], x[7]);
  __m128i tmp7 = _mm_add_epi16(z11, z13);
  __m128i oddTmp11 = mul(_mm_sub_epi16(z11, z13), sqrt2);
  __m128i oddTmp10 = _mm_add_epi16(mul(z10, cm30353), mul(z12, cm12540));
  __m128i oddTmp12 = _mm_add_epi16(mul(z10, cm12540), mul(z12, c30273));
  __m128i tmp6 = _mm_sub_epi16(oddTmp12, tmp7);
  __m128i tmp5 = _mm_sub_epi16(oddTmp11, tmp6);
  __m128i tmp4 = _mm_add_epi16(oddTmp10, tmp5);

  y[0] = _mm_add_epi16(tmp0, tmp7);
  y[7] = _mm_sub_epi16(tmp0, tmp7);
  y[1] = _mm_add_epi16(tmp1, tmp6);
  y[6] = _mm_sub_epi16(tmp1, tmp6);
  y[2] = _mm_add_epi16(tmp2, tmp5);
  y[5] = _mm_sub_epi16(tmp2, tmp5);
  y[4] = _mm_add_epi16(tmp3, tmp4);
  y[3] = _mm_sub_epi16(tmp3, tmp4);
}

inline void transpose8(__m128i* r) {
  __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
  __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
  __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
  __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
  __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  r[0] = _mm_unpacklo_epi64(b0, b4);
  r[1] = _mm_unpackhi_epi64(b0, b4);
  r[2] = _mm_unpacklo_epi64(b1, b5);
  r[3] = _mm_unpackhi_epi64(b1, b5);
  r[4] = _mm_unpacklo_epi64(b2, b6);
  r[5] = _mm_unpackhi_epi64(b2, b6);
  r[6] = _mm_unpacklo_epi64(b3, b7);
  r[7] = _mm_unpackhi_epi64(b3, b7);
}

}  // namespace

void idctMmxSse2(const int16_t* coefficients, const int16_t* multipliers, uint8_t* out, int32_t stride) {
  __m128i x[8], y[8];
  // Pass 1: lane v is column v; vector u is vertical frequency u, dequantised.
  for (int u = 0; u < 8; ++u) {
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + 8 * u));
    __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(multipliers + 8 * u));
    x[u] = _mm_mullo_epi16(c, m);
  }
  aanStep(x, y);
  // Pass 2 on rows: lane n is row n.
  transpose8(y);
  aanStep(y, x);
  const __m128i levelShift = _mm_set1_epi16(128);
  for (int k = 0; k < 8; ++k) x[k] = _mm_adds_epi16(_mm_srai_epi16(x[k], 5), levelShift);
  transpose8(x);
  for (int n = 0; n < 8; n += 2) {
    __m128i packed = _mm_packus_epi16(x[n], x[n + 1]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + n * stride), packed);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + (n + 1) * stride), _mm_srli_si128(packed, 8));
  }
}

}  // namespace lumiscene

#endif
