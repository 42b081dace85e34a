// The shimmer in two phases: place every block into a list, then move them all.
//
// A layer whose Displace fits in registers (blocks of at most 4 x 16, a copy or
// a 50% mix, a picture that is not the frame) first places every instance into
// a list (its frame index and its shape), then hands the whole list to one
// pass that moves the blocks in list order: blocks overlap, so a later block
// reads what an earlier one wrote. Two tight loops instead of a call chain per
// block; the list also tells the pass where the coming blocks lie, so their
// rows are fetched before they are needed.
//
// The usual block (4 x 8, snapshot, swap, 50% mix, a twin at most one pixel
// away) goes through a kernel without a branch on the jitter: the twin's offset
// picks masks and permutations, not code. Every other block takes the general
// form of pixel_rows::displaceBlock. The portable forms of both phases are the
// reference; the SSE2, AVX2 and AVX-512 forms give the same lists and bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cpu/instruction_set.h"

namespace lumiscene::block_kernels {

// A listed block's shape word: the twin's offset (jx pixels right, jy rows
// down; each in -128..127) and the clipped size, which the twin shares.
inline uint32_t packShape(int32_t jx, int32_t jy, int32_t width, int32_t rows) {
  return (static_cast<uint32_t>(jx) & 0xFF) | (static_cast<uint32_t>(jy) & 0xFF) << 8 |
         static_cast<uint32_t>(width) << 16 | static_cast<uint32_t>(rows) << 24;
}
inline int32_t shapeJx(uint32_t shape) { return static_cast<int8_t>(shape & 0xFF); }
inline int32_t shapeJy(uint32_t shape) { return static_cast<int8_t>((shape >> 8) & 0xFF); }
inline int32_t shapeWidth(uint32_t shape) { return static_cast<int32_t>((shape >> 16) & 0xFF); }
inline int32_t shapeRows(uint32_t shape) { return static_cast<int32_t>(shape >> 24); }

// One axis of a layer as the placement reads it; the period must be positive.
struct AxisPlacement {
  const float* phases;
  const int16_t* jitter;
  double position;
  int32_t start;
  int32_t period;
  int32_t low;
  int32_t high;
  int32_t blockSize;
};

// Places instances 0..count-1 of a layer (phase + position wrapped into the
// period, clipped to the range, the twin moved by the jitter and both cut
// together) and lists, in index order, those whose twin stays inside and whose
// block is not empty: at[n] = y0 * stride + x0, shape[n] = packShape(...).
// Returns n. The arrays hold count entries.
using PlaceBlocks = size_t (*)(const AxisPlacement& x, const AxisPlacement& y, int32_t count, int32_t stride,
                               int32_t* at, uint32_t* shape);

// What every block of one pass does: source null takes the block from a
// snapshot of the frame, else from source at the block's own index.
struct BlockMove {
  const uint32_t* source;
  bool half;
  bool swap;
};

using MoveBlocks = void (*)(uint32_t* frame, int64_t stride, const int32_t* at, const uint32_t* shape,
                            size_t count, const BlockMove& move);

struct Kernels {
  PlaceBlocks place;
  MoveBlocks move;
};

// The kernels in the given form; a form the processor lacks must not be run.
const Kernels& kernelsFor(cpu::Form form);
const Kernels& portableKernels();
// The kernels in cpu::activeForm().
const Kernels& chosenKernels();

}  // namespace lumiscene::block_kernels
