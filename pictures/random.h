// Linear congruential generators.
//
// RandomGenerator, parameterised by a word width of 1 to 32 bits, drives the
// descrambling of the embedded pictures. The fixed 32-bit steps nextRandom,
// nextRandom16 and nextRandom8 supply the scene engine's jitter, placement and
// noise. Both kinds wrap modulo 2^32 and keep no state of their own: the caller
// holds the running state.
#pragma once

#include <cstdint>

namespace lumiscene {

class RandomGenerator {
public:
  // Widths outside 1..32 are clamped: 0 behaves as 1, anything above 32 as 32.
  explicit RandomGenerator(uint32_t width);

  uint32_t nextState(uint32_t x) const { return (increment + x * multiplier) & mask; }
  // The top 8 bits of an n-bit state for n >= 8, the whole state for smaller n.
  uint8_t outputByte(uint32_t x) const { return static_cast<uint8_t>(x >> byteShift); }

  uint32_t width;
  uint32_t mask;
  uint32_t multiplier;
  uint32_t increment;
  uint32_t byteShift;
};

inline uint32_t nextRandom(uint32_t& state) {
  state = state * 0x6487ED55u + 0x361962E9u;
  return state;
}

inline uint32_t nextRandom16(uint32_t& state) { return nextRandom(state) >> 16; }

inline uint32_t nextRandom8(uint32_t& state) { return nextRandom(state) >> 24; }

}  // namespace lumiscene
