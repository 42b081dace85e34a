// The build constants with which the embedded pictures are stored scrambled.
// The build scrambles them with lumiscene-scramble and the program descrambles
// them with the same two numbers.
#pragma once

#include <cstdint>

namespace lumiscene {

constexpr uint32_t scrambleSeed = 0x5C3A91E7u;
constexpr int32_t scrambleWidth = 29;

}  // namespace lumiscene
