#include "pictures/embedded_pictures.h"
#include "pictures/random.h"

namespace lumiscene {

bool descramble(uint8_t* buffer, int32_t length, uint32_t seed, int32_t width) {
  if (buffer == nullptr || length < 0 || width < 1 || width > 32) return false;
  const RandomGenerator generator(static_cast<uint32_t>(width));
  uint32_t x = seed & generator.mask;
  for (int32_t i = 0; i < length; ++i) {
    x = generator.nextState(x);
    buffer[i] ^= generator.outputByte(x);
  }
  return true;
}

}  // namespace lumiscene
