// Row kernels, portable and SSE2; the two forms give identical results.
#include "scene/pixel_rows.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "cpu/forward_copy.h"

namespace lumiscene::pixel_rows {

namespace portable {

void copyRows(uint32_t* destination, int64_t destinationStride, const uint32_t* source, int64_t sourceStride,
              int32_t width, int32_t rows) {
  if (width <= 0) return;
  const size_t bytes = static_cast<size_t>(width) * sizeof(uint32_t);
  for (int32_t row = 0; row < rows; ++row) {
    // memmove: a row of an image copied onto itself must not smear.
    std::memmove(destination, source, bytes);
    destination += destinationStride;
    source += sourceStride;
  }
}

void blendHalfRows(uint32_t* destination, int64_t destinationStride, const uint32_t* source,
                   int64_t sourceStride, int32_t width, int32_t rows) {
  for (int32_t row = 0; row < rows; ++row) {
    for (int32_t x = 0; x < width; ++x) destination[x] = halfPixel(destination[x], source[x]);
    destination += destinationStride;
    source += sourceStride;
  }
}

void reverseRow(uint32_t* destination, const uint32_t* source, int32_t count) {
  for (int32_t j = 0; j < count; ++j) destination[j] = source[count - 1 - j];
}

void copyRow(uint32_t* destination, const uint32_t* source, int32_t count) {
  if (count > 0) std::memcpy(destination, source, static_cast<size_t>(count) * sizeof(uint32_t));
}

void displaceBlock(uint32_t* block, int64_t stride, int32_t jx, int32_t jy, int32_t width, int32_t rows,
                   const uint32_t* source, int64_t sourceStride, bool half, bool swap) {
  uint32_t saved[blockMaxRows * blockMaxWidth];
  uint32_t twin[blockMaxRows * blockMaxWidth];
  uint32_t* twinAt = block + jy * stride + jx;
  if (source == nullptr) {
    copyRows(saved, blockMaxWidth, block, stride, width, rows);
    source = saved;
    sourceStride = blockMaxWidth;
  }
  if (swap) copyRows(twin, blockMaxWidth, twinAt, stride, width, rows);
  const auto move = half ? blendHalfRows : copyRows;
  move(twinAt, stride, source, sourceStride, width, rows);
  if (swap) move(block, stride, twin, blockMaxWidth, width, rows);
}

}  // namespace portable

#if defined(__SSE2__)
namespace sse2 {

namespace {

inline __m128i halfPixels(__m128i destination, __m128i source) {
  const __m128i halfMask = _mm_set1_epi32(0x7F7F7F);
  const __m128i lowBits = _mm_set1_epi32(0x010101);
  const __m128i halves = _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(source, 1), halfMask),
                                       _mm_and_si128(_mm_srli_epi32(destination, 1), halfMask));
  return _mm_add_epi32(halves, _mm_and_si128(destination, lowBits));
}

// The block's row after the move onto the twin: where the twin's row
// (moved, sitting jx pixels to the side) covers it, its pixels.
inline __m128i underMovedTwin(__m128i blockRow, __m128i moved, int32_t jx) {
  __m128i shifted;
  __m128i covered;
  switch (jx) {
    case 0:
      return moved;
    case 1:
      shifted = _mm_slli_si128(moved, 4);
      covered = _mm_set_epi32(-1, -1, -1, 0);
      break;
    case 2:
      shifted = _mm_slli_si128(moved, 8);
      covered = _mm_set_epi32(-1, -1, 0, 0);
      break;
    case 3:
      shifted = _mm_slli_si128(moved, 12);
      covered = _mm_set_epi32(-1, 0, 0, 0);
      break;
    case -1:
      shifted = _mm_srli_si128(moved, 4);
      covered = _mm_set_epi32(0, -1, -1, -1);
      break;
    case -2:
      shifted = _mm_srli_si128(moved, 8);
      covered = _mm_set_epi32(0, 0, -1, -1);
      break;
    case -3:
      shifted = _mm_srli_si128(moved, 12);
      covered = _mm_set_epi32(0, 0, 0, -1);
      break;
    default:
      return blockRow;
  }
  return _mm_or_si128(_mm_and_si128(covered, shifted), _mm_andnot_si128(covered, blockRow));
}

inline __m128i load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void store(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// The fused move of a 4-wide block. Every row is read before anything is
// written, and the block's rows are worked out in registers rather than read
// back: reading a row that was just stored one pixel to the side stalls the
// processor on almost every block.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline void displaceFourWide(uint32_t* block, int64_t stride, int32_t jx, int32_t jy, int32_t rows,
                             const uint32_t* source, int64_t sourceStride, bool half, bool swap) {
  __m128i original[blockMaxRows];
  __m128i twin[blockMaxRows];
  __m128i moved[blockMaxRows];
  uint32_t* twinAt = block + jy * stride + jx;
  for (int32_t k = 0; k < rows; ++k) original[k] = load(block + k * stride);
  for (int32_t k = 0; k < rows; ++k) twin[k] = load(twinAt + k * stride);
  for (int32_t k = 0; k < rows; ++k) {
    const __m128i from = source == nullptr ? original[k] : load(source + k * sourceStride);
    moved[k] = half ? halfPixels(twin[k], from) : from;
    store(twinAt + k * stride, moved[k]);
  }
  if (!swap) return;
  for (int32_t k = 0; k < rows; ++k) {
    const int32_t twinRow = k - jy;
    const __m128i now =
        twinRow >= 0 && twinRow < rows ? underMovedTwin(original[k], moved[twinRow], jx) : original[k];
    store(block + k * stride, half ? halfPixels(now, twin[k]) : twin[k]);
  }
}

// The shimmer's own block, whole (4 x 8), with the snapshot, the swap and the
// 50% mix, and a twin at most one pixel away: with the jitter and the row count
// known when compiling, every row stays in a register and every shift is an
// immediate, where the general form keeps its rows on the stack.
template <int32_t Jx, int32_t Jy>
void shimmerBlock(uint32_t* block, int64_t stride) {
  displaceFourWide(block, stride, Jx, Jy, 8, nullptr, 0, true, true);
}

using ShimmerBlock = void (*)(uint32_t*, int64_t);
constexpr ShimmerBlock shimmerBlocks[3][3] = {
    {shimmerBlock<-1, -1>, shimmerBlock<0, -1>, shimmerBlock<1, -1>},
    {shimmerBlock<-1, 0>, shimmerBlock<0, 0>, shimmerBlock<1, 0>},
    {shimmerBlock<-1, 1>, shimmerBlock<0, 1>, shimmerBlock<1, 1>},
};

}  // namespace

void displaceBlock(uint32_t* block, int64_t stride, int32_t jx, int32_t jy, int32_t width, int32_t rows,
                   const uint32_t* source, int64_t sourceStride, bool half, bool swap) {
  if (width == 4 && rows == 8 && source == nullptr && half && swap && jx >= -1 && jx <= 1 && jy >= -1 && jy <= 1) {
    shimmerBlocks[jy + 1][jx + 1](block, stride);
  } else if (width == 4 && rows <= blockMaxRows) {
    displaceFourWide(block, stride, jx, jy, rows, source, sourceStride, half, swap);
  } else {
    portable::displaceBlock(block, stride, jx, jy, width, rows, source, sourceStride, half, swap);
  }
}

void copyRows(uint32_t* destination, int64_t destinationStride, const uint32_t* source, int64_t sourceStride,
              int32_t width, int32_t rows) {
  if (width != 4) {
    portable::copyRows(destination, destinationStride, source, sourceStride, width, rows);
    return;
  }
  // A 4-pixel row is one load and one store; the load comes first, so an
  // overlapping row behaves as a block move, as memmove does.
  for (int32_t row = 0; row < rows; ++row) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination), pixels);
    destination += destinationStride;
    source += sourceStride;
  }
}

void blendHalfRows(uint32_t* destination, int64_t destinationStride, const uint32_t* source,
                   int64_t sourceStride, int32_t width, int32_t rows) {
  for (int32_t row = 0; row < rows; ++row) {
    int32_t x = 0;
    for (; x + 4 <= width; x += 4) {
      const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(destination + x));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + x), halfPixels(d, s));
    }
    for (; x < width; ++x) destination[x] = halfPixel(destination[x], source[x]);
    destination += destinationStride;
    source += sourceStride;
  }
}

void copyRow(uint32_t* destination, const uint32_t* source, int32_t count) {
  if (count <= 0) return;
  cpu::copyForward(reinterpret_cast<uint8_t*>(destination), reinterpret_cast<const uint8_t*>(source),
                   static_cast<size_t>(count) * sizeof(uint32_t));
}

void reverseRow(uint32_t* destination, const uint32_t* source, int32_t count) {
  int32_t j = 0;
  // Four pixels from the end of the source are one register with its lanes turned round.
  for (; j + 4 <= count; j += 4) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + count - 4 - j));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + j), _mm_shuffle_epi32(pixels, 0x1B));
  }
  for (; j < count; ++j) destination[j] = source[count - 1 - j];
}

}  // namespace sse2
#endif

}  // namespace lumiscene::pixel_rows
