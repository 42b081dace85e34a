// Effect descriptors, weight tables and the colour blend stage of a layer.
#include "scene/effects.h"

#include <algorithm>
#include <new>

#include "scene/blend_kernels.h"
#include "scene/image.h"
#include "scene/truncate.h"

namespace lumiscene {

namespace {

constexpr uint32_t colourBits = 0xFFFFFF;

// Pulls a product 0.1 toward zero, then truncates it: the tables never round up.
int32_t shrink(double v) {
  if (v > 0.1) v = v - 0.1;
  if (v < -0.1) v = v + 0.1;
  return truncateToInt32(v);
}

int32_t clampChannel(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, 255)); }

bool allEqual(double r, double g, double b, double value) { return r == value && g == value && b == value; }

}  // namespace

void WeightTable::build(double weight) {
  for (int32_t i = 0; i < 256; ++i) entries[i] = shrink(static_cast<double>(i) * weight);
}

void WeightSet::setWeights(double keepRWeight, double takeRWeight, double keepGWeight, double takeGWeight,
                           double keepBWeight, double takeBWeight) {
  takeR.build(takeRWeight);
  takeG.build(takeGWeight);
  takeB.build(takeBWeight);
  keepR.build(keepRWeight);
  keepG.build(keepGWeight);
  keepB.build(keepBWeight);
}

uint32_t WeightSet::mix(uint32_t destination, uint32_t moved) const {
  const int32_t r = clampChannel(int64_t{keepR[(destination >> 16) & 0xFF]} + takeR[(moved >> 16) & 0xFF]);
  const int32_t g = clampChannel(int64_t{keepG[(destination >> 8) & 0xFF]} + takeG[(moved >> 8) & 0xFF]);
  const int32_t b = clampChannel(int64_t{keepB[destination & 0xFF]} + takeB[moved & 0xFF]);
  return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

uint32_t LogicEffect::apply(uint32_t pixel) const {
  switch (op) {
    case LogicOp::And:
      return mask & pixel;
    case LogicOp::Or:
      return mask | pixel;
    case LogicOp::Xor:
      return mask ^ pixel;
    case LogicOp::AndOr:
      return (pixel & mask) | value;
    default:
      return mask;
  }
}

ColourMapEffect::ColourMapEffect(int32_t kindCode)
    : Effect(kindCode),
      redTable(std::make_unique<int32_t[]>(256)),
      greenBlueTable(std::make_unique<uint16_t[]>(65536)) {}

DisplaceEffect::DisplaceEffect() : Effect(EffectKind::Displace) { weights.setWeights(1.0, 0.0, 1.0, 0.0, 1.0, 0.0); }

std::unique_ptr<LogicEffect> makeLogicEffect(int32_t kind, int32_t fromFrame, int32_t op, uint32_t mask,
                                             uint32_t value) {
  auto effect = std::make_unique<LogicEffect>(kind);
  effect->fromFrame = fromFrame;
  effect->op = op;
  effect->mask = mask & colourBits;
  effect->value = value & colourBits;
  return effect;
}

std::unique_ptr<ColourMapEffect> makeColourMapEffect(int32_t kind, int32_t fromFrame,
                                                     const std::array<uint8_t, 256>& red,
                                                     const std::array<uint8_t, 256>& green,
                                                     const std::array<uint8_t, 256>& blue) {
  auto effect = std::make_unique<ColourMapEffect>(kind);
  effect->fromFrame = fromFrame;
  for (uint32_t i = 0; i < 256; ++i) effect->redTable[i] = int32_t{red[i]} << 16;
  for (uint32_t j = 0; j < 65536; ++j) {
    effect->greenBlueTable[j] = static_cast<uint16_t>(green[j >> 8] << 8 | blue[j & 0xFF]);
  }
  return effect;
}

void BlendTables::build(double r, double g, double b) {
  WeightSet weights;
  weights.setWeights(1.0 - r, r, 1.0 - g, g, 1.0 - b, b);
  for (uint32_t i = 0; i < 256; ++i) {
    keepR[i] = static_cast<uint8_t>(clampChannel(weights.keepR[i]));
    takeR[i] = static_cast<uint8_t>(clampChannel(weights.takeR[i]));
    keepG[i] = static_cast<uint8_t>(clampChannel(weights.keepG[i]));
    takeG[i] = static_cast<uint8_t>(clampChannel(weights.takeG[i]));
    keepB[i] = static_cast<uint8_t>(clampChannel(weights.keepB[i]));
    takeB[i] = static_cast<uint8_t>(clampChannel(weights.takeB[i]));
  }
  weightR = r;
  weightG = g;
  weightB = b;
}

const BlendTables& BlendTableCache::tablesFor(double r, double g, double b) {
  ++uses_;
  int32_t slot = filled_;
  for (int32_t i = 0; i < filled_; ++i) {
    const BlendTables& e = entries_[i];
    if (e.weightR == r && e.weightG == g && e.weightB == b) {
      lastUse_[i] = uses_;
      return e;
    }
  }
  if (filled_ < capacity) {
    ++filled_;
  } else {
    slot = 0;
    for (int32_t i = 1; i < capacity; ++i)
      if (lastUse_[i] < lastUse_[slot]) slot = i;
  }
  entries_[slot].build(r, g, b);
  lastUse_[slot] = uses_;
  ++builds_;
  return entries_[slot];
}

void ColourBlend::setWeights(double r, double g, double b) {
  // The three plain cases are drawn without tables.
  if (!(allEqual(r, g, b, 0.0) || allEqual(r, g, b, 1.0) || allEqual(r, g, b, 0.5))) {
    if (!tables) {
      tables.reset(new (std::nothrow) BlendTableCache);
      if (!tables) return;
    }
    current = &tables->tablesFor(r, g, b);
  }
  weightR = r;
  weightG = g;
  weightB = b;
}

void ColourBlend::apply(Image& frame, const Image& picture, int32_t x0, int32_t y0, int32_t x1,
                        int32_t y1) const {
  if (allEqual(weightR, weightG, weightB, 0.0)) return;
  // The stage is only given rectangles inside both images; anything else is refused
  // rather than written outside them.
  if (x1 < x0 || y1 < y0 || x0 < 0 || y0 < 0) return;
  if (x1 >= frame.width || y1 >= frame.height || x1 >= picture.width || y1 >= picture.height) return;

  if (allEqual(weightR, weightG, weightB, 1.0)) {
    frame.blit(x0, y0, picture, x0, y0, x1, y1);
    return;
  }
  if (allEqual(weightR, weightG, weightB, 0.5)) {
    frame.blendHalf(x0, y0, picture, x0, y0, x1, y1);
    return;
  }
  if (current == nullptr) return;
  blend_kernels::chosenApply()(*current, frame.pixelAt(x0, y0), frame.width, picture.pixelAt(x0, y0), picture.width,
                               x1 - x0 + 1, y1 - y0 + 1);
}

}  // namespace lumiscene
