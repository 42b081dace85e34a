// Pixel kernels: the rows under Image::blit and Image::blendHalf, and the
// whole move of one small block and its twin. The shimmer's ~9,800 blocks a
// frame go through block_kernels' list pass, which falls back to
// displaceBlock for the blocks it has no special form for; displaceBlock also
// serves the layers that draw other effects between their blocks.
//
// Each comes in a portable form and, on x86-64, an SSE2 form that treats a
// 4-pixel row as one 128-bit word. Both forms give identical results; the build
// picks one at compile time and the tests hold the two against each other.
//
// Measured on the first composition (640 x 480, 2 shared cores): the plain
// per-rectangle path took about 31 frame copies' time per step; keeping the
// block's copies off the scratch images and in registers brought it to about
// 20, and a form for the shimmer's own 4 x 8 block with its jitter known at
// compile time to about 15. What is left is mostly waiting for the frame rows
// the randomly placed blocks land on.
//
// copyRow copies count pixels between rows that do not overlap. The SSE2 form
// is a plain forward loop because the C library's copy of a few kilobytes
// runs at half speed or worse when the destination lies at the source's place
// within a 4 KiB page, or just after it (measured on the frame's 2,560-byte
// rows: 2.2 to 2.5 frame copies' time instead of 1.0 to 1.2). Frames, pictures
// and surfaces of one size are all allocated that way, so whole-frame passes
// copy their rows through here.
//
// reverseRow writes count pixels in the opposite order: destination[j] is
// source[count - 1 - j]; the two must not overlap. It draws the mirrored tiles
// of a panorama's view.
//
// Rows are processed top to bottom and each row left to right. A blendHalf row
// whose source overlaps its destination is only given to the portable form,
// which reads each source pixel after the earlier ones were written.
#pragma once

#include <cstdint>

namespace lumiscene::pixel_rows {

// The packed 50% average: each channel is the sum of the two halved channels
// plus the lowest bit of the destination channel.
inline uint32_t halfPixel(uint32_t destination, uint32_t source) {
  return ((source >> 1) & 0x7F7F7Fu) + ((destination >> 1) & 0x7F7F7Fu) + (destination & 0x010101u);
}

// Rows and width of the blocks that displaceBlock takes.
inline constexpr int32_t blockMaxRows = 16;
inline constexpr int32_t blockMaxWidth = 4;

// One Displace of a block of width x rows pixels (at most 4 x 16) of a frame
// whose rows are stride pixels apart, with its twin at the block's place moved
// by (jx, jy), in this order: the block is saved (the snapshot, when source is
// null), the twin is saved when swapping, the saved block (or the source rows)
// is moved onto the twin, then the saved twin back onto the block. half selects
// the 50% average instead of a copy. The source must not be the frame.

namespace portable {
void displaceBlock(uint32_t* block, int64_t stride, int32_t jx, int32_t jy, int32_t width,
                   int32_t rows, const uint32_t* source, int64_t sourceStride, bool half, bool swap);
void copyRows(uint32_t* destination, int64_t destinationStride, const uint32_t* source, int64_t sourceStride,
              int32_t width, int32_t rows);
void blendHalfRows(uint32_t* destination, int64_t destinationStride, const uint32_t* source,
                   int64_t sourceStride, int32_t width, int32_t rows);
void reverseRow(uint32_t* destination, const uint32_t* source, int32_t count);
void copyRow(uint32_t* destination, const uint32_t* source, int32_t count);
}  // namespace portable

#if defined(__SSE2__)
#define LUMISCENE_HAS_SSE2_ROWS 1
namespace sse2 {
// Four-wide blocks keep every row in a register; other widths go the portable way.
void displaceBlock(uint32_t* block, int64_t stride, int32_t jx, int32_t jy, int32_t width,
                   int32_t rows, const uint32_t* source, int64_t sourceStride, bool half, bool swap);
void copyRows(uint32_t* destination, int64_t destinationStride, const uint32_t* source, int64_t sourceStride,
              int32_t width, int32_t rows);
void blendHalfRows(uint32_t* destination, int64_t destinationStride, const uint32_t* source,
                   int64_t sourceStride, int32_t width, int32_t rows);
void reverseRow(uint32_t* destination, const uint32_t* source, int32_t count);
void copyRow(uint32_t* destination, const uint32_t* source, int32_t count);
}  // namespace sse2
namespace chosen = sse2;
#else
namespace chosen = portable;
#endif

}  // namespace lumiscene::pixel_rows
