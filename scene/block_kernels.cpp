// The pass over the block list in each instruction-set form, and the choice.
//
// The forms share one body (block_kernels.inc), compiled three times in
// target regions: the binary stays runnable on any x86-64, and only the form
// the processor supports is ever called.
//
// Measured as BM_SceneShimmer against one frame copy (the step also cuts the
// panorama's view into the frame, a little over one copy's time): the
// per-block path with its nine jitter variants took 19 to 24 copies' time; the
// two phases take about 7 in the AVX-512 form, 9 in the AVX2 form and 17 to 20
// in the SSE2 form, which keeps its rows on the stack. Of a step, the pass is
// about two thirds, the placement under a tenth. On a frame held in the
// second-level cache the pass takes nearly as long: it is bound by its
// instructions, not by the memory. Tried and left out, for no gain that showed
// above the noise: fetching 4 or 16 blocks ahead instead of 8, or not at all;
// masked stores of a block's rows instead of lane extractions (slower); a
// masked form for blocks cut at the frame's edges (4 % of the blocks); the
// AVX2 block inlined into its loop (more spills).
#include "scene/block_kernels.h"

#include <algorithm>
#include <array>

#include "scene/pixel_rows.h"
#include "scene/truncate.h"

// The target regions are GCC's; other compilers build the portable form only.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define LUMISCENE_BLOCK_FORMS 1
#include <immintrin.h>
#endif

namespace lumiscene::block_kernels {

namespace {

constexpr int32_t shimmerRows = 8;

// 4 x 8 with both offsets in -1..1.
inline bool isShimmerShape(uint32_t shape) {
  return (shape & 0xFFFF0000u) == (4u << 16 | uint32_t{shimmerRows} << 24) &&
         static_cast<uint32_t>(shapeJx(shape) + 1) <= 2 && static_cast<uint32_t>(shapeJy(shape) + 1) <= 2;
}

// One axis of instance i: the clipped block b0..b1 and whether its twin,
// moved by j, stays inside the range (cutting the block with it).
inline bool placeAlong(const AxisPlacement& axis, int32_t i, int32_t& b0, int32_t& b1, int32_t& j) {
  const int32_t v = truncateToInt32(static_cast<double>(axis.phases[i]) + axis.position);
  int32_t wrapped = v % axis.period;
  if (wrapped < 0) wrapped += axis.period;
  const int32_t p = wrapped + axis.start;
  b0 = std::max(p, axis.low);
  b1 = std::min(p + axis.blockSize - 1, axis.high);
  j = axis.jitter[i];
  const int32_t s0 = b0 + j, s1 = b1 + j;
  if (j > 0) {
    if (s0 > axis.high) return false;
    if (s1 > axis.high) b1 -= s1 - axis.high;
  } else if (j < 0) {
    if (s1 < axis.low) return false;
    if (s0 < axis.low) b0 += axis.low - s0;
  }
  return true;
}

inline bool placeOne(const AxisPlacement& x, const AxisPlacement& y, int32_t i, int32_t stride, int32_t& at,
                     uint32_t& shape) {
  int32_t x0 = 0, x1 = 0, jx = 0, y0 = 0, y1 = 0, jy = 0;
  const bool keepX = placeAlong(x, i, x0, x1, jx);
  const bool keepY = placeAlong(y, i, y0, y1, jy);
  if (!keepX || !keepY || x1 < x0 || y1 < y0) return false;
  at = y0 * stride + x0;
  shape = packShape(jx, jy, x1 - x0 + 1, y1 - y0 + 1);
  return true;
}

size_t placeBlocksPortable(const AxisPlacement& x, const AxisPlacement& y, int32_t count, int32_t stride,
                           int32_t* at, uint32_t* shape) {
  size_t listed = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (placeOne(x, y, i, stride, at[listed], shape[listed])) ++listed;
  }
  return listed;
}

void moveBlocksPortable(uint32_t* frame, int64_t stride, const int32_t* at, const uint32_t* shape,
                        size_t count, const BlockMove& move) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t s = shape[i];
    const uint32_t* source = move.source == nullptr ? nullptr : move.source + at[i];
    pixel_rows::portable::displaceBlock(frame + at[i], stride, shapeJx(s), shapeJy(s), shapeWidth(s),
                                        shapeRows(s), source, stride, move.half, move.swap);
  }
}

#if defined(LUMISCENE_BLOCK_FORMS)

// How many blocks ahead the pass fetches rows. Measured on the first
// composition: fetching gains a few per cent; 4, 8 and 16 blocks ahead alike.
constexpr size_t prefetchDistance = 8;

// The rows the usual block's move reads and writes: the twin's rows and the
// block's row beyond them. Only rows: four pixels sit on one line three times
// in four. A prefetch never faults, so the addresses are only computed.
inline void prefetchBlock(const uint32_t* frame, int64_t stride, int32_t at, uint32_t shape) {
  const uintptr_t block = reinterpret_cast<uintptr_t>(frame + at);
  const intptr_t rowBytes = static_cast<intptr_t>(stride) * 4;
  const uintptr_t twin = block + static_cast<uintptr_t>(shapeJy(shape) * rowBytes + shapeJx(shape) * 4);
  for (int32_t k = 0; k < shimmerRows; ++k) {
    _mm_prefetch(reinterpret_cast<const char*>(twin + static_cast<uintptr_t>(k * rowBytes)), _MM_HINT_T0);
  }
  _mm_prefetch(reinterpret_cast<const char*>(block), _MM_HINT_T0);
  _mm_prefetch(reinterpret_cast<const char*>(block + static_cast<uintptr_t>((shimmerRows - 1) * rowBytes)),
               _MM_HINT_T0);
}

// Whether two usual blocks at frame indexes a and b (and their twins, at
// most one pixel away) share no pixel: their rows lie ten or more apart, or
// their columns six or more.
inline bool apart(int32_t a, int32_t b, int64_t stride) {
  const int64_t reachRows = shimmerRows + 1, reachColumns = 5;
  // Rows narrower than the reach could wrap a neighbour into any column.
  if (stride <= 2 * reachColumns) return false;
  const int64_t e = int64_t{b} - a + reachRows * stride + reachColumns;
  if (e < 0 || e > 2 * (reachRows * stride + reachColumns)) return true;
  return e % stride > 2 * reachColumns;
}

struct alignas(16) Lanes {
  uint32_t v[4];
};

// For one twin offset of the usual block, the choices the kernels make from
// it. The xmm form works a row at a time: which moved row lies over block row
// k (up: row k - 1, level: row k, down: row k + 1), how it is moved sideways
// (right, left, centre), and which lanes of a block row
// it covers (the first and the last row may lie beyond the moved rows). The
// ymm form works on pairs of rows: the dword permutation that moves a pair
// sideways and the lanes it covers in each pair. The zmm form works on four
// rows at once and takes each lane straight from the eight moved rows.
struct ShimmerMasks {
  Lanes up, level, down;
  Lanes right, left, centre;
  Lanes cover, coverFirst, coverLast;
  alignas(32) uint32_t pairSideways[8];
  alignas(32) uint32_t pairCover[4][8];
  alignas(64) uint32_t quadIndex[2][16];
  uint16_t quadCover[2];
};

constexpr Lanes allOrNone(bool set) {
  const uint32_t v = set ? ~0u : 0u;
  return Lanes{{v, v, v, v}};
}

constexpr bool covers(int32_t row, int32_t x, int32_t jx, int32_t jy) {
  return row - jy >= 0 && row - jy < shimmerRows && x - jx >= 0 && x - jx < 4;
}

constexpr Lanes coveredLanes(int32_t jx, bool rowCovered) {
  Lanes lanes{};
  for (int32_t x = 0; x < 4; ++x) lanes.v[x] = rowCovered && x - jx >= 0 && x - jx < 4 ? ~0u : 0u;
  return lanes;
}

constexpr ShimmerMasks masksFor(int32_t jx, int32_t jy) {
  ShimmerMasks m{};
  m.up = allOrNone(jy == 1);
  m.level = allOrNone(jy == 0);
  m.down = allOrNone(jy == -1);
  m.right = allOrNone(jx == 1);
  m.left = allOrNone(jx == -1);
  m.centre = allOrNone(jx == 0);
  m.cover = coveredLanes(jx, true);
  m.coverFirst = coveredLanes(jx, jy != 1);
  m.coverLast = coveredLanes(jx, jy != -1);
  // Lanes that are not covered take any pixel of the moved rows; the cover
  // masks throw them away.
  for (int32_t lane = 0; lane < 8; ++lane) {
    const int32_t half = lane / 4, x = lane % 4;
    m.pairSideways[lane] = static_cast<uint32_t>(4 * half + (x - jx < 0 ? 0 : x - jx > 3 ? 3 : x - jx));
    for (int32_t pair = 0; pair < 4; ++pair)
      m.pairCover[pair][lane] = covers(2 * pair + half, x, jx, jy) ? ~0u : 0u;
  }
  for (int32_t quad = 0; quad < 2; ++quad) {
    for (int32_t lane = 0; lane < 16; ++lane) {
      const int32_t row = 4 * quad + lane / 4, x = lane % 4;
      const bool covered = covers(row, x, jx, jy);
      m.quadIndex[quad][lane] = covered ? static_cast<uint32_t>(4 * (row - jy) + x - jx) : 0u;
      if (covered) m.quadCover[quad] = static_cast<uint16_t>(m.quadCover[quad] | 1u << lane);
    }
  }
  return m;
}

constexpr std::array<ShimmerMasks, 9> makeShimmerMasks() {
  std::array<ShimmerMasks, 9> all{};
  for (int32_t jy = -1; jy <= 1; ++jy) {
    for (int32_t jx = -1; jx <= 1; ++jx) all[(jy + 1) * 3 + jx + 1] = masksFor(jx, jy);
  }
  return all;
}

alignas(64) constexpr std::array<ShimmerMasks, 9> shimmerMasks = makeShimmerMasks();

#endif

}  // namespace

#if defined(LUMISCENE_BLOCK_FORMS)

namespace sse2 {
#define LUMISCENE_KERNEL_FORM 0
#include "scene/block_kernels.inc"
#undef LUMISCENE_KERNEL_FORM
}  // namespace sse2

#pragma GCC push_options
#pragma GCC target("avx2")
namespace avx2 {
#define LUMISCENE_KERNEL_FORM 1
#include "scene/block_kernels.inc"
#undef LUMISCENE_KERNEL_FORM
}  // namespace avx2
#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vl,avx512vbmi")
// GCC 12's lane extraction reads a deliberately undefined register and warns.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
namespace avx512 {
#define LUMISCENE_KERNEL_FORM 2
#include "scene/block_kernels.inc"
#undef LUMISCENE_KERNEL_FORM
}  // namespace avx512
#pragma GCC diagnostic pop
#pragma GCC pop_options

#endif

const Kernels& portableKernels() {
  static constexpr Kernels kernels{placeBlocksPortable, moveBlocksPortable};
  return kernels;
}

const Kernels& kernelsFor(cpu::Form form) {
#if defined(LUMISCENE_BLOCK_FORMS)
  static constexpr Kernels sse2Kernels{placeBlocksPortable, sse2::moveBlocks};
  static constexpr Kernels avx2Kernels{avx2::placeBlocks, avx2::moveBlocks};
  static constexpr Kernels avx512Kernels{avx512::placeBlocks, avx512::moveBlocks};
  switch (form) {
    case cpu::Form::Avx512:
      return avx512Kernels;
    case cpu::Form::Avx2:
      return avx2Kernels;
    default:
      return sse2Kernels;
  }
#else
  (void)form;
  return portableKernels();
#endif
}

const Kernels& chosenKernels() { return kernelsFor(cpu::activeForm()); }

}  // namespace lumiscene::block_kernels
