// A plain model of the layer renderers for the tests: blocks placed from a
// layer's phases and jitter with mathematical modulo, effects applied pixel by
// pixel. The optimised renderers are held against it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "scene/scene.h"
#include "test_images.h"

namespace scene_test {

using lumiscene::Image;
using lumiscene::Layer;

struct Rect {
  int32_t x0, y0, x1, y1;
};

struct Instance {
  Rect block, shifted;
  bool skipped;
};

inline int32_t modelPlace(const lumiscene::Axis& axis, int32_t i, int32_t& b0, int32_t& b1) {
  const auto v = static_cast<int64_t>(std::trunc(static_cast<double>(axis.phases[i]) + axis.position));
  const int64_t period = int64_t{axis.high} + axis.blockSize - axis.low;
  const int64_t p = ((v % period) + period) % period + axis.low - axis.blockSize + 1;
  b0 = static_cast<int32_t>(std::max<int64_t>(p, axis.low));
  b1 = static_cast<int32_t>(std::min<int64_t>(p + axis.blockSize - 1, axis.high));
  return 0;
}

inline bool modelShift(const lumiscene::Axis& axis, int32_t j, int32_t& b0, int32_t& b1, int32_t& s0, int32_t& s1) {
  s0 = b0 + j;
  s1 = b1 + j;
  if (s0 > axis.high || s1 < axis.low) return false;
  const int32_t over = std::max(0, s1 - axis.high);
  const int32_t under = std::max(0, axis.low - s0);
  s1 -= over;
  b1 -= over;
  s0 += under;
  b0 += under;
  return true;
}

inline std::vector<Instance> modelInstances(const Layer& layer, int32_t count) {
  std::vector<Instance> instances(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    Instance& in = instances[i];
    modelPlace(layer.axisX, i, in.block.x0, in.block.x1);
    modelPlace(layer.axisY, i, in.block.y0, in.block.y1);
    const bool keepX = modelShift(layer.axisX, layer.axisX.jitter[i], in.block.x0, in.block.x1, in.shifted.x0,
                                  in.shifted.x1);
    const bool keepY = modelShift(layer.axisY, layer.axisY.jitter[i], in.block.y0, in.block.y1, in.shifted.y0,
                                  in.shifted.y1);
    in.skipped = !(keepX && keepY);
  }
  return instances;
}

// The moved pixels of a Displace, pixel by pixel.
inline void modelMove(int32_t mode, const lumiscene::WeightSet& weights, Image& frame, const Image& source, const Rect& from,
               int32_t dx, int32_t dy) {
  for (int32_t y = 0; y <= from.y1 - from.y0; ++y)
    for (int32_t x = 0; x <= from.x1 - from.x0; ++x) {
      uint32_t& d = *frame.pixelAt(dx + x, dy + y);
      const uint32_t s = *source.pixelAt(from.x0 + x, from.y0 + y);
      d = mode == 0 ? s : mode == 1 ? scene_test::referenceHalf(d, s) : weights.mix(d, s);
    }
}

inline void modelDisplace(const lumiscene::DisplaceEffect& e, Image& frame, const Image& picture, Image& a, Image& a2,
                   const Instance& in) {
  const Image* source = &picture;
  if (e.snapshot) {
    scene_test::referenceBlit(a, in.block.x0, in.block.y0, frame, in.block.x0, in.block.y0, in.block.x1, in.block.y1);
    source = &a;
  }
  if (e.swap) {
    scene_test::referenceBlit(a2, in.shifted.x0, in.shifted.y0, frame, in.shifted.x0, in.shifted.y0, in.shifted.x1,
                              in.shifted.y1);
  }
  modelMove(e.mode, e.weights, frame, *source, in.block, in.shifted.x0, in.shifted.y0);
  if (e.swap) modelMove(e.mode, e.weights, frame, a2, in.shifted, in.block.x0, in.block.y0);
}

inline void modelPixels(Image& frame, const Image& read, const Rect& r, const lumiscene::Effect& effect) {
  for (int32_t y = r.y0; y <= r.y1; ++y)
    for (int32_t x = r.x0; x <= r.x1; ++x) {
      const uint32_t s = *read.pixelAt(x, y);
      uint32_t out = 0;
      if (const auto* logic = effect.asLogic()) {
        switch (logic->op) {
          case 0: out = logic->mask & s; break;
          case 1: out = logic->mask | s; break;
          case 2: out = logic->mask ^ s; break;
          case 4: out = (s & logic->mask) | logic->value; break;
          default: out = logic->mask;
        }
      } else {
        const auto* map = effect.asColourMap();
        out = static_cast<uint32_t>(map->greenBlueTable[s & 0xFFFF] + map->redTable[s >> 16]);
      }
      *frame.pixelAt(x, y) = out;
    }
}

}  // namespace scene_test
