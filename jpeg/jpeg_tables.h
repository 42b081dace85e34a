// Constant tables and transform kernels shared by the decoder's stages. Internal to
// the decoder: nothing outside jpeg/ includes this header.
#pragma once

#include <cstdint>

namespace lumiscene {

// Natural (row-major) index of zigzag position k (ITU-T T.81, Figure A.6).
extern const int32_t zigzagToNatural[64];
// AAN output scale factors in Q14, natural order: round(16384 * s(u) * s(v)) with
// s(0) = 1 and s(n) = sqrt(2) * cos(n * pi / 16).
extern const int16_t aanScale[64];
// Sign-extension thresholds of T.81 EXTEND: entry s is 2^(s-1), entry 0 is 0.
extern const uint32_t extendThreshold[18];

// T.81 F.2.2.1 EXTEND of the s bits v read after category s (s in 0..16).
inline int32_t extendValue(uint32_t v, int32_t s) {
  return v < extendThreshold[s] ? static_cast<int32_t>(v) - (1 << s) + 1 : static_cast<int32_t>(v);
}

// The same without a branch or table, for the hot loops: all-ones when v lies below
// 2^(s-1), then v + 1 - 2^s.
inline int32_t extendValueFast(uint32_t v, int32_t s) {
  int32_t below = (static_cast<int32_t>(v) - ((1 << s) >> 1)) >> 31;
  return static_cast<int32_t>(v) + (below & (1 - (1 << s)));
}

// Bytes of one block of a reduced decoding's AC array: the bit set of its non-zero
// coefficients (natural order), then the kept width x height coefficients, padded so
// that every block's bit set stays 8-byte aligned.
inline int32_t reducedElementBytes(int32_t width, int32_t height) {
  return width * height > 1 ? (8 + 2 * width * height + 7) & ~7 : 8;
}

// Integer transform of one dequantised block; work is overwritten with the first pass.
void idctInteger(int16_t* work, uint8_t* out);

// Four-lane transform of one quantised block with its multiplier table, written to
// out with the given row stride. The portable and the SSE2 form give identical bytes.
void idctMmxPortable(const int16_t* coefficients, const int16_t* multipliers, uint8_t* out, int32_t stride);
#if defined(__SSE2__)
void idctMmxSse2(const int16_t* coefficients, const int16_t* multipliers, uint8_t* out, int32_t stride);
#endif

inline void idctMmx(const int16_t* coefficients, const int16_t* multipliers, uint8_t* out, int32_t stride) {
#if defined(__SSE2__)
  idctMmxSse2(coefficients, multipliers, out, stride);
#else
  idctMmxPortable(coefficients, multipliers, out, stride);
#endif
}

}  // namespace lumiscene
