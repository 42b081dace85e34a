// Truncation of doubles toward zero, total over every double.
//
// Motion, instance counts and weight tables turn doubles into int32 by
// truncation. A value outside the int32 range (or NaN) gives INT32_MIN, the
// processor's own answer for such a conversion, instead of undefined behaviour.
#pragma once

#include <cstdint>
#include <limits>

namespace lumiscene {

inline int32_t truncateToInt32(double value) {
  if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
  return std::numeric_limits<int32_t>::min();
}

}  // namespace lumiscene
