// The display depth in bits per pixel, read from the frame surface at every
// display set-up and used by the frame driver to prepare its pictures.
#pragma once

#include <cstdint>

namespace lumiscene {

extern int32_t displayDepth;

}  // namespace lumiscene
