#include "pictures/random.h"

#include <cmath>

namespace lumiscene {

namespace {

uint32_t clampWidth(uint32_t width) {
  if (width == 0) return 1;
  return width > 32 ? 32 : width;
}

}  // namespace

RandomGenerator::RandomGenerator(uint32_t requestedWidth) : width(clampWidth(requestedWidth)) {
  // The parameters come from pi and the square root of 3 scaled to the word
  // width; the arithmetic is done in extended precision so that the rounding
  // of the 32-bit case lands exactly where it always has.
  long double half = 1.0L;
  for (uint32_t i = 1; i < width; ++i) half += half;
  const long double quarterPi = std::atan2(1.0L, 1.0L);
  const long double sqrt3 = std::sqrt(3.0L);
  const auto multiplierSteps = static_cast<uint32_t>(static_cast<int64_t>(half * quarterPi * 0.125L + 0.5L));
  const auto incrementSteps =
      static_cast<uint32_t>(static_cast<int64_t>(half * (0.5L - sqrt3 * 0.16666666666666666) + 0.5L));

  mask = width < 32 ? 0xFFFFFFFFu >> (32 - width) : 0xFFFFFFFFu;
  multiplier = (8u * multiplierSteps + 5u) & mask;
  increment = (2u * incrementSteps + 1u) & mask;
  byteShift = width > 8 ? width - 8 : 0;
}

}  // namespace lumiscene
