// Frame conversion rows in the AVX2 and AVX-512 forms.
//
// Each converter does the part of a row that fills whole registers (8 pixels
// for AVX2, 16 for AVX-512) and returns how many pixels that was; the caller
// converts the rest with its SSE2 or plain code, which gives the same bytes.
// Converters take any source and destination pointer, so a row can be
// written wherever the caller keeps the display's pixels.
#pragma once

#include <cstdint>

#include "cpu/instruction_set.h"

namespace lumiscene::wide_rows {

// pack(r, g, b) of a PixelFormat: each channel shifted right, then left.
struct Shifts {
  int32_t redRight, redLeft, greenRight, greenLeft, blueRight, blueLeft;
};

using Row = int32_t (*)(const Shifts& shifts, const uint32_t* source, uint8_t* destination, int32_t count);

struct Converters {
  Row rgb565;    // 0x00RRGGBB to RGB 5-6-5
  Row rgb24;     // to three bytes, blue first
  Row packed16;  // pack() to its low 16 bits
  Row packed24;  // pack() to its low three bytes
  Row packed32;  // pack() whole
};

// The converters of the form, or null where the SSE2 code is the form.
const Converters* convertersFor(cpu::Form form);

}  // namespace lumiscene::wide_rows
