// Where an AC scan of a progressive frame puts one block's coefficients: the
// whole block at full size, or, in reduced decoding, one bit per coefficient
// saying whether it is non-zero yet and the few coefficients the reduced size
// keeps. The scans' entropy decoding is written once over either.
#pragma once

#include <cstdint>

#include "jpeg/jpeg_decoder.h"

namespace lumiscene {

inline uint8_t* coefficientElement(CoefArray* array, int32_t x, int32_t y) {
  return array->data + (static_cast<int64_t>(y) * array->widthBlocks + x) * array->elementBytes;
}

// A reduced element: 8 bytes of non-zero bits, then the kept coefficients.
inline uint64_t& nonZeroBits(uint8_t* element) { return *reinterpret_cast<uint64_t*>(element); }
inline int16_t* keptCoefficients(uint8_t* element) { return reinterpret_cast<int16_t*>(element + 8); }

class WholeBlock {
public:
  WholeBlock(CoefArray* array, int32_t x, int32_t y, const int8_t*)
      : coefficients_(reinterpret_cast<int16_t*>(coefficientElement(array, x, y))) {}

  bool isNonZero(int32_t n) const { return coefficients_[n] != 0; }
  // The coefficient's value, or null where the block does not keep it.
  int16_t* kept(int32_t n) const { return &coefficients_[n]; }
  void set(int32_t n, int16_t value) const { coefficients_[n] = value; }

private:
  int16_t* coefficients_;
};

class ReducedBlock {
public:
  // slots[n]: where natural-order coefficient n is kept, or -1.
  ReducedBlock(CoefArray* array, int32_t x, int32_t y, const int8_t* slots)
      : nonZero_(nonZeroBits(coefficientElement(array, x, y))),
        coefficients_(keptCoefficients(coefficientElement(array, x, y))),
        slots_(slots) {}

  bool isNonZero(int32_t n) const { return (nonZero_ >> n & 1) != 0; }
  int16_t* kept(int32_t n) const { return slots_[n] >= 0 ? &coefficients_[slots_[n]] : nullptr; }
  void set(int32_t n, int16_t value) const {
    // A value that wraps to zero counts as zero, as it does at full size.
    const uint64_t bit = uint64_t{1} << n;
    nonZero_ = value != 0 ? nonZero_ | bit : nonZero_ & ~bit;
    if (slots_[n] >= 0) coefficients_[slots_[n]] = value;
  }

private:
  uint64_t& nonZero_;
  int16_t* coefficients_;
  const int8_t* slots_;
};

}  // namespace lumiscene
