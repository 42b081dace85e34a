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

// pack() of a 0x00RRGGBB pixel, one channel at a time: the pixel shifted
// right by `right` or left by `left` (one of them is 0), then masked. The same
// bits as taking the channel's byte and shifting it right and then left, with
// one shift and a mask fewer.
struct ChannelMove {
  int32_t right = 0;
  int32_t left = 0;
  uint32_t mask = 0;
};

// `offset` is where the channel's byte lies in 0x00RRGGBB (16, 8 or 0).
inline ChannelMove channelMove(int32_t offset, int32_t shiftRight, int32_t shiftLeft) {
  ChannelMove move;
  const int32_t down = offset + shiftRight - shiftLeft;
  move.right = down > 0 ? down : 0;
  move.left = down < 0 ? -down : 0;
  move.mask = shiftLeft < 32 ? (0xFFu >> shiftRight) << shiftLeft : 0;
  return move;
}

struct ChannelMoves {
  ChannelMove red, green, blue;
  explicit ChannelMoves(const Shifts& s)
      : red(channelMove(16, s.redRight, s.redLeft)),
        green(channelMove(8, s.greenRight, s.greenLeft)),
        blue(channelMove(0, s.blueRight, s.blueLeft)) {}
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
