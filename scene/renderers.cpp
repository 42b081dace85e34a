// The layer renderers: a layer with effects is drawn as a cloud of blocks.
//
// Every instance i has a random phase per axis; phase + position, wrapped into
// the axis period, places its block, clipped to the placement range. The
// renderers that need the block's twin also give every instance a fixed random
// jitter, and the twin is the block moved by it, clipped together with the
// block so that both keep the same size. Phases and jitter are drawn when the
// scene restarts or the instance count outgrows the arrays and are reused
// otherwise, so every block keeps its place in the moving pattern.
//
// Instances are drawn in index order into the same frame: a later instance sees
// what the earlier ones drew. Nothing here allocates once the arrays have grown.
#include <algorithm>
#include <climits>

#include "pictures/random.h"
#include "scene/block_kernels.h"
#include "scene/pixel_rows.h"
#include "scene/scene.h"
#include "scene/truncate.h"

namespace lumiscene {

namespace {

// wrap(a, b) of the placement: a negative a becomes b - ((-a) mod b), then an
// a of at least b becomes a mod b. The period stays fixed for a whole render,
// so the remainder is taken by multiplication (exact for every 32-bit a);
// a division per axis and instance was most of the placement's cost.
class Wrap {
public:
  explicit Wrap(int32_t period)
      : period_(period), inverse_(period > 0 ? UINT64_MAX / static_cast<uint32_t>(period) + 1 : 0) {}

  int32_t operator()(int32_t a) const {
    // A placement range that is not positive cannot be wrapped into; such a
    // layer's blocks are then clipped to its (empty or inverted) range.
    if (period_ <= 0) return a;
    if (a < 0) a = period_ - static_cast<int32_t>(remainder(0u - static_cast<uint32_t>(a)));
    if (a >= period_) a = static_cast<int32_t>(remainder(static_cast<uint32_t>(a)));
    return a;
  }

private:
  uint32_t remainder(uint32_t a) const {
#if defined(__SIZEOF_INT128__)
    __extension__ using Wide = unsigned __int128;
    const uint64_t fraction = inverse_ * a;
    return static_cast<uint32_t>((static_cast<Wide>(fraction) * static_cast<uint32_t>(period_)) >> 64);
#else
    return a % static_cast<uint32_t>(period_);
#endif
  }

  int32_t period_;
  uint64_t inverse_;
};

// Places instance i along one axis, drawing its phase first when asked to.
inline void place(Axis& axis, const Wrap& wrap, int32_t i, bool regeneratePhase, int32_t& b0, int32_t& b1) {
  if (regeneratePhase) axis.phases[i] = static_cast<float>(nextRandom(axis.phaseState) / 65536.0);
  const int32_t v = truncateToInt32(static_cast<double>(axis.phases[i]) + axis.position);
  const int64_t p = int64_t{wrap(v)} + axis.start;
  b0 = static_cast<int32_t>(std::max<int64_t>(p, axis.low));
  b1 = static_cast<int32_t>(std::min<int64_t>(p + axis.blockSize - 1, axis.high));
}

inline int32_t jitterOf(Axis& axis, int32_t i, bool regenerateJitter) {
  if (regenerateJitter) {
    int16_t value = static_cast<int16_t>(axis.jitterMin);
    const int64_t n = int64_t{axis.jitterMax} - axis.jitterMin + 1;
    if (n > 1) value = static_cast<int16_t>(nextRandom16(axis.jitterState) % n + axis.jitterMin);
    axis.jitter[i] = value;
  }
  return axis.jitter[i];
}

// The twin of block b0..b1 moved by j; false when it falls wholly outside the
// range. A twin that sticks out is cut, and the block with it.
inline bool shiftAlong(const Axis& axis, int32_t j, int32_t& b0, int32_t& b1, int32_t& s0, int32_t& s1) {
  s0 = b0 + j;
  s1 = b1 + j;
  if (j > 0) {
    if (s0 > axis.high) return false;
    if (s1 > axis.high) {
      const int32_t cut = s1 - axis.high;
      s1 -= cut;
      b1 -= cut;
    }
  } else if (j < 0) {
    if (s1 < axis.low) return false;
    if (s0 < axis.low) {
      const int32_t cut = axis.low - s0;
      s0 += cut;
      b0 += cut;
    }
  }
  return true;
}

// Places instance i and its twin, x before y, then jitters and clips both
// together; false when the twin falls outside the range and the instance is
// skipped. (A template so that it can take the layer's own rectangle type.)
template <typename Rect, typename Prepared>
inline bool placeWithTwin(Axis& axisX, Axis& axisY, const Wrap& wrapX, const Wrap& wrapY, int32_t i,
                          const Prepared& prepared, Rect& block, Rect& shifted) {
  place(axisX, wrapX, i, prepared.regeneratePhases, block.x0, block.x1);
  place(axisY, wrapY, i, prepared.regeneratePhases, block.y0, block.y1);
  const int32_t jx = jitterOf(axisX, i, prepared.regenerateJitter);
  const int32_t jy = jitterOf(axisY, i, prepared.regenerateJitter);
  const bool keepX = shiftAlong(axisX, jx, block.x0, block.x1, shifted.x0, shifted.x1);
  const bool keepY = shiftAlong(axisY, jy, block.y0, block.y1, shifted.y0, shifted.y1);
  return keepX && keepY;
}

bool isEmpty(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { return x1 < x0 || y1 < y0; }

// Logic and colour-map effects: every frame pixel inside the rectangle becomes
// the effect applied to the pixel at the same place of the frame or the picture.
template <typename PixelEffect, typename Rect>
void applyPerPixel(const PixelEffect& effect, Image& frame, const Image& picture, const Rect& area) {
  if (isEmpty(area.x0, area.y0, area.x1, area.y1)) return;
  const Image& read = effect.fromFrame ? frame : picture;
  for (int32_t y = area.y0; y <= area.y1; ++y) {
    const uint32_t* s = read.pixelAt(area.x0, y);
    uint32_t* d = frame.pixelAt(area.x0, y);
    for (int32_t x = 0; x <= area.x1 - area.x0; ++x) d[x] = effect.apply(s[x]);
  }
}


}  // namespace

bool Layer::placementInside(const Image* image) const {
  if (image == nullptr) return false;
  const bool xInside = axisX.low > axisX.high || (axisX.low >= 0 && axisX.high < image->width);
  const bool yInside = axisY.low > axisY.high || (axisY.low >= 0 && axisY.high < image->height);
  return xInside && yInside;
}

Layer::Prepared Layer::prepare(bool regenerate, bool withJitter, bool needsScratch) {
  Prepared prepared{instanceCount(), regenerate, regenerate, false};
  const int64_t count = prepared.count;
  const size_t wanted = static_cast<size_t>(std::max<int64_t>(count, 1));
  if (count > static_cast<int64_t>(axisX.phases.size())) {
    for (Axis* axis : {&axisX, &axisY}) {
      if (axis->phases.size() < wanted) axis->phases.assign(wanted, 0.0f);
    }
    prepared.regeneratePhases = true;
  }
  if (withJitter && count > static_cast<int64_t>(axisX.jitter.size())) {
    for (Axis* axis : {&axisX, &axisY}) {
      if (axis->jitter.size() < wanted) axis->jitter.assign(wanted, 0);
    }
    prepared.regenerateJitter = true;
  }
  // Every block lies inside the placement range; the range has to lie inside
  // the images drawn from and into. Otherwise the instances are still placed
  // (so the generators advance as usual) but nothing is drawn.
  prepared.drawable = placementInside(frame) && placementInside(picture) &&
                      (!needsScratch || (placementInside(scratchA) && placementInside(scratchB)));
  return prepared;
}

void Layer::moveRect(int32_t mode, const WeightSet& weights, const Image& source, const Rect& from, int32_t dx,
                     int32_t dy) {
  if (mode == DisplaceMode::Copy) {
    frame->blit(dx, dy, source, from.x0, from.y0, from.x1, from.y1);
  } else if (mode == DisplaceMode::Half) {
    frame->blendHalf(dx, dy, source, from.x0, from.y0, from.x1, from.y1);
  } else {
    if (isEmpty(from.x0, from.y0, from.x1, from.y1)) return;
    for (int32_t row = 0; row <= from.y1 - from.y0; ++row) {
      const uint32_t* s = source.pixelAt(from.x0, from.y0 + row);
      uint32_t* d = frame->pixelAt(dx, dy + row);
      for (int32_t x = 0; x <= from.x1 - from.x0; ++x) d[x] = weights.mix(d[x], s[x]);
    }
  }
}

void Layer::displace(const DisplaceEffect& effect, const Rect& block, const Rect& shifted) {
  if (displaceInPlace(effect, block, shifted)) return;
  const Image* source = picture;
  if (effect.snapshot) {
    scratchA->blit(block.x0, block.y0, *frame, block.x0, block.y0, block.x1, block.y1);
    source = scratchA;
  }
  if (effect.swap) {
    // The twin is saved first: the block's move lands on it.
    scratchB->blit(shifted.x0, shifted.y0, *frame, shifted.x0, shifted.y0, shifted.x1, shifted.y1);
    moveRect(effect.mode, effect.weights, *source, block, shifted.x0, shifted.y0);
    moveRect(effect.mode, effect.weights, *scratchB, shifted, block.x0, block.y0);
  } else {
    moveRect(effect.mode, effect.weights, *source, block, shifted.x0, shifted.y0);
  }
}

bool Layer::displaceInPlace(const DisplaceEffect& effect, const Rect& block, const Rect& shifted) {
  // The scratch images are work space: a Displace writes the snapshot and the
  // twin into them and reads them back at once, and nothing else reads them.
  // Small blocks keep both copies in registers or on the stack instead, which
  // gives the same frame without dragging two more frame-sized images through
  // the cache.
  const int32_t width = block.x1 - block.x0 + 1;
  const int32_t rows = block.y1 - block.y0 + 1;
  if (width <= 0 || rows <= 0) return true;
  if (width > pixel_rows::blockMaxWidth || rows > pixel_rows::blockMaxRows) return false;
  if (effect.mode != DisplaceMode::Copy && effect.mode != DisplaceMode::Half) return false;
  if (picture == frame) return false;
  const uint32_t* source = effect.snapshot ? nullptr : picture->pixelAt(block.x0, block.y0);
  pixel_rows::chosen::displaceBlock(frame->pixelAt(block.x0, block.y0), frame->width, shifted.x0 - block.x0,
                                    shifted.y0 - block.y0, width, rows, source, picture->width,
                                    effect.mode == DisplaceMode::Half, effect.swap != 0);
  return true;
}

void Layer::applyLogic(const LogicEffect& effect, const Rect& area) { applyPerPixel(effect, *frame, *picture, area); }

void Layer::applyMap(const ColourMapEffect& effect, const Rect& area) { applyPerPixel(effect, *frame, *picture, area); }

bool Layer::listsBlocks(const DisplaceEffect& effect) const {
  // The list holds what displaceInPlace would draw: every block fits in
  // registers, and the source (picture or snapshot) shares the frame's rows.
  if (effect.mode != DisplaceMode::Copy && effect.mode != DisplaceMode::Half) return false;
  if (picture == frame || frame == nullptr || picture == nullptr) return false;
  if (axisX.blockSize > pixel_rows::blockMaxWidth || axisY.blockSize > pixel_rows::blockMaxRows) return false;
  if (!effect.snapshot && picture->width != frame->width) return false;
  if (int64_t{frame->width} * frame->height > INT32_MAX) return false;
  // The placement kernels work in 32 bits and wrap into a positive period.
  constexpr int32_t bound = 1 << 29;
  for (const Axis* axis : {&axisX, &axisY}) {
    if (axis->period <= 0 || axis->period > bound) return false;
    if (axis->blockSize < -bound || axis->blockSize > bound) return false;
    if (axis->low < -bound || axis->low > bound || axis->high < -bound || axis->high > bound) return false;
    if (axis->start < -bound || axis->start > bound) return false;
  }
  return true;
}

namespace {

// Draws the phases and jitter that placement would draw, in index order.
void regenerateInstances(Axis& axisX, Axis& axisY, int32_t count, bool phases, bool jitter) {
  for (Axis* axis : {&axisX, &axisY}) {
    for (int32_t i = 0; i < count; ++i) {
      if (phases) axis->phases[i] = static_cast<float>(nextRandom(axis->phaseState) / 65536.0);
      if (jitter) jitterOf(*axis, i, true);
    }
  }
}

// The list keeps each jitter in a byte.
bool jitterFitsList(const Axis& axis, int32_t count) {
  // Taken every frame over every instance: kept in 16 bits, where SSE2 has a
  // minimum and a maximum instruction, rather than widened to 32.
  int16_t low = 0, high = 0;
  const int16_t* jitter = axis.jitter.data();
  for (int32_t i = 0; i < count; ++i) {
    low = std::min(low, jitter[i]);
    high = std::max(high, jitter[i]);
  }
  return low >= -128 && high <= 127;
}

block_kernels::AxisPlacement placementOf(const Axis& axis) {
  return block_kernels::AxisPlacement{axis.phases.data(), axis.jitter.data(), axis.position, axis.start,
                                      axis.period,        axis.low,           axis.high,     axis.blockSize};
}

}  // namespace

void Layer::renderDisplaceOnly(bool regenerate) {
  Prepared prepared = prepare(regenerate, true, true);
  if (prepared.count <= 0) return;
  const DisplaceEffect* effect = effects[0] ? effects[0]->asDisplace() : nullptr;
  const bool drawable = prepared.drawable && effect != nullptr;
  bool listed = drawable && listsBlocks(*effect);
  if (listed) {
    // Placement has no effect but the drawn phases and jitter; drawn first,
    // they leave a placement that only reads.
    regenerateInstances(axisX, axisY, prepared.count, prepared.regeneratePhases, prepared.regenerateJitter);
    prepared.regeneratePhases = false;
    prepared.regenerateJitter = false;
    listed = jitterFitsList(axisX, prepared.count) && jitterFitsList(axisY, prepared.count);
  }
  if (!listed) {
    const Wrap wrapX(axisX.period);
    const Wrap wrapY(axisY.period);
    for (int32_t i = 0; i < prepared.count; ++i) {
      Rect block{};
      Rect shifted{};
      const bool kept = placeWithTwin(axisX, axisY, wrapX, wrapY, i, prepared, block, shifted);
      if (kept && drawable) displace(*effect, block, shifted);
    }
    return;
  }
  // Every instance is placed first, then the blocks are moved in one pass in
  // the same order.
  const size_t count = static_cast<size_t>(prepared.count);
  if (blockIndexes.size() < count) {
    blockIndexes.resize(count);
    blockShapes.resize(count);
  }
  const block_kernels::Kernels& kernels = block_kernels::chosenKernels();
  const size_t blocks = kernels.place(placementOf(axisX), placementOf(axisY), prepared.count, frame->width,
                                      blockIndexes.data(), blockShapes.data());
  const block_kernels::BlockMove move{effect->snapshot ? nullptr : picture->pixels.get(),
                                      effect->mode == DisplaceMode::Half, effect->swap != 0};
  kernels.move(frame->pixels.get(), frame->width, blockIndexes.data(), blockShapes.data(), blocks, move);
}

void Layer::renderPlain(bool regenerate) {
  const Prepared prepared = prepare(regenerate, false, false);
  if (prepared.count <= 0) return;
  const Wrap wrapX(axisX.period);
  const Wrap wrapY(axisY.period);
  const int32_t n = effectCount();
  for (int32_t i = 0; i < prepared.count; ++i) {
    Rect block{};
    place(axisX, wrapX, i, prepared.regeneratePhases, block.x0, block.x1);
    place(axisY, wrapY, i, prepared.regeneratePhases, block.y0, block.y1);
    if (!prepared.drawable) continue;
    for (int32_t k = 0; k < n; ++k) {
      const Effect& effect = *effects[k];
      if (effect.kind == EffectKind::MapBlock) {
        if (const ColourMapEffect* map = effect.asColourMap()) applyMap(*map, block);
      } else if (const LogicEffect* logic = effect.asLogic()) {
        applyLogic(*logic, block);
      }
    }
  }
}

void Layer::renderShifted(bool regenerate) {
  const int32_t n = effectCount();
  bool needsScratch = false;
  for (int32_t k = 0; k < n; ++k) needsScratch |= effects[k]->kind == EffectKind::Displace;
  const Prepared prepared = prepare(regenerate, true, needsScratch);
  if (prepared.count <= 0) return;
  const Wrap wrapX(axisX.period);
  const Wrap wrapY(axisY.period);
  for (int32_t i = 0; i < prepared.count; ++i) {
    Rect block{};
    Rect shifted{};
    const bool kept = placeWithTwin(axisX, axisY, wrapX, wrapY, i, prepared, block, shifted);
    // A skipped instance draws none of its effects, not even those over the block.
    if (!(kept && prepared.drawable)) continue;
    for (int32_t k = 0; k < n; ++k) {
      const Effect& effect = *effects[k];
      switch (effect.kind) {
        case EffectKind::LogicBlock:
        case EffectKind::LogicShifted:
          if (const LogicEffect* logic = effect.asLogic()) {
            applyLogic(*logic, effect.kind == EffectKind::LogicBlock ? block : shifted);
          }
          break;
        case EffectKind::MapBlock:
        case EffectKind::MapShifted:
          if (const ColourMapEffect* map = effect.asColourMap()) {
            applyMap(*map, effect.kind == EffectKind::MapBlock ? block : shifted);
          }
          break;
        case EffectKind::Displace:
          if (const DisplaceEffect* displaceEffect = effect.asDisplace()) displace(*displaceEffect, block, shifted);
          break;
        default:
          break;
      }
    }
  }
}

}  // namespace lumiscene
