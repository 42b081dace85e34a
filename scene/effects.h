// Effects: what a layer does to each of its blocks, and how it mixes colours.
//
// An Effect starts with its kind code; the renderers (renderers.cpp) read the
// code and execute the effect on every block of a layer. All weighted mixing is
// integer table lookup: a WeightTable holds the 256 products of a channel value
// with one weight, and ColourBlend, the layer's final cross-fade of its picture
// into the frame, keeps per-channel tables for the last few weights it had. Pixels are 0x00RRGGBB with a zero top byte; the red tables are
// indexed by the pixel shifted right by 16, the green-blue tables by its low 16 bits.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace lumiscene {

class Image;

namespace EffectKind {
inline constexpr int32_t LogicBlock = 1;    // logic operation over the block rectangle
inline constexpr int32_t MapBlock = 2;      // colour-map lookup over the block rectangle
inline constexpr int32_t LogicShifted = 3;  // logic operation over the shifted rectangle
inline constexpr int32_t MapShifted = 4;    // colour-map lookup over the shifted rectangle
inline constexpr int32_t Displace = 5;      // copy, swap or mix the block with its shifted twin
}  // namespace EffectKind

// Codes of LogicEffect::op; Fill, and every code not listed, makes the pixel mask.
namespace LogicOp {
inline constexpr int32_t And = 0;
inline constexpr int32_t Or = 1;
inline constexpr int32_t Xor = 2;
inline constexpr int32_t Fill = 3;
inline constexpr int32_t AndOr = 4;
}  // namespace LogicOp

// Codes of DisplaceEffect::mode; every code other than Copy and Half is Weighted.
namespace DisplaceMode {
inline constexpr int32_t Copy = 0;
inline constexpr int32_t Half = 1;
inline constexpr int32_t Weighted = 2;
}  // namespace DisplaceMode

// The products of the channel values 0..255 with one weight, each pulled 0.1
// toward zero before truncation (so weight 1.0 maps n >= 1 to n - 1). Entries
// may be negative or above 255; users clamp where they combine them.
struct WeightTable {
  void build(double weight);
  int32_t operator[](uint32_t index) const { return entries[index]; }

  std::array<int32_t, 256> entries{};
};

// Tables for moving a pixel ("take") onto a destination pixel ("keep").
struct WeightSet {
  void setWeights(double keepR, double takeR, double keepG, double takeG, double keepB, double takeB);
  // Per channel clamp(keep[d] + take[s], 0, 255), rebuilt into one pixel.
  uint32_t mix(uint32_t destination, uint32_t moved) const;

  WeightTable takeR, takeG, takeB, keepR, keepG, keepB;
};

class LogicEffect;
class ColourMapEffect;
class DisplaceEffect;

class Effect {
public:
  virtual ~Effect() = default;

  // The renderers interpret an effect by its kind code. These give the fields
  // of that interpretation, or null when this effect does not carry them.
  virtual const LogicEffect* asLogic() const { return nullptr; }
  virtual const ColourMapEffect* asColourMap() const { return nullptr; }
  virtual const DisplaceEffect* asDisplace() const { return nullptr; }

  int32_t kind;

protected:
  explicit Effect(int32_t kindCode) : kind(kindCode) {}
  Effect(const Effect&) = default;
};

// Kinds 1 and 3 (and any other code that a renderer treats as a logic effect).
class LogicEffect : public Effect {
public:
  explicit LogicEffect(int32_t kindCode) : Effect(kindCode) {}
  const LogicEffect* asLogic() const override { return this; }
  uint32_t apply(uint32_t pixel) const;

  int32_t fromFrame = 0;  // read from the frame (1) or from the layer's picture (0)
  int32_t op = LogicOp::And;
  uint32_t mask = 0;
  uint32_t value = 0;  // used by AndOr only
};

// Kinds 2 and 4: a mapped pixel is greenBlueTable[s & 0xFFFF] + redTable[s >> 16].
class ColourMapEffect : public Effect {
public:
  // Both tables start as zero (every pixel maps to black).
  explicit ColourMapEffect(int32_t kindCode);
  const ColourMapEffect* asColourMap() const override { return this; }
  uint32_t apply(uint32_t pixel) const {
    return static_cast<uint32_t>(greenBlueTable[pixel & 0xFFFF] + redTable[(pixel >> 16) & 0xFF]);
  }

  std::unique_ptr<int32_t[]> redTable;          // 256 red contributions, already in bits 16-23
  std::unique_ptr<uint16_t[]> greenBlueTable;  // 65536 green-blue pairs
  int32_t fromFrame = 0;
};

// Kind 5. A new one keeps the destination and ignores the moved pixel in
// Weighted mode (keep weight 1, take weight 0 on all channels).
class DisplaceEffect : public Effect {
public:
  DisplaceEffect();
  DisplaceEffect(const DisplaceEffect&) = default;
  const DisplaceEffect* asDisplace() const override { return this; }

  int32_t snapshot = 0;  // take the block from a snapshot of the frame instead of the picture
  int32_t swap = 0;      // also move the shifted twin back into the block's place
  int32_t mode = DisplaceMode::Copy;
  WeightSet weights;
};

// A logic effect; the constants are cut to 24 bits so pixels keep a zero top byte.
std::unique_ptr<LogicEffect> makeLogicEffect(int32_t kind, int32_t fromFrame, int32_t op, uint32_t mask,
                                             uint32_t value);
// A colour-map effect whose tables send each channel value v to red[v], green[v], blue[v].
std::unique_ptr<ColourMapEffect> makeColourMapEffect(int32_t kind, int32_t fromFrame,
                                                     const std::array<uint8_t, 256>& red,
                                                     const std::array<uint8_t, 256>& green,
                                                     const std::array<uint8_t, 256>& blue);

// The tables of a ColourBlend for one set of channel weights: per channel the
// clamped products of 0..255 with the weight the frame keeps and with the one
// the picture gives. A pixel becomes
//   (keepG[dg] << 8 | keepB[db]) + (takeG[sg] << 8 | takeB[sb]) | (keepR[dr] + takeR[sr]) << 16.
struct BlendTables {
  void build(double r, double g, double b);

  double weightR = 0.0;  // the weights they were built for
  double weightG = 0.0;
  double weightB = 0.0;
  alignas(64) std::array<uint8_t, 256> keepR;
  alignas(64) std::array<uint8_t, 256> takeR;
  alignas(64) std::array<uint8_t, 256> keepG;
  alignas(64) std::array<uint8_t, 256> takeG;
  alignas(64) std::array<uint8_t, 256> keepB;
  alignas(64) std::array<uint8_t, 256> takeB;
};

// The tables of the last few weight sets, so that weights which come back (a
// pulse passes the same values again and again) are not built again. A new set
// takes the place of the one used longest ago; the memory stays fixed.
class BlendTableCache {
public:
  static constexpr int32_t capacity = 8;

  // The tables for these weights, built now if none of the kept ones fit.
  const BlendTables& tablesFor(double r, double g, double b);
  // How many times tables were built; for tests.
  int64_t builds() const { return builds_; }

private:
  std::array<BlendTables, capacity> entries_;
  std::array<uint64_t, capacity> lastUse_{};
  int32_t filled_ = 0;
  uint64_t uses_ = 0;
  int64_t builds_ = 0;
};

// A layer's cross-fade of its picture into the frame: per channel the picture
// takes weight w and the frame keeps 1 - w. All-zero weights draw nothing,
// all-one weights copy and all-half weights average, without tables.
class ColourBlend {
public:
  void setWeights(double r, double g, double b);
  // Reads the picture and writes the frame at the same coordinates over the
  // inclusive rectangle, which must lie inside both; otherwise nothing is drawn.
  void apply(Image& frame, const Image& picture, int32_t x0, int32_t y0, int32_t x1, int32_t y1) const;

  std::unique_ptr<BlendTableCache> tables;  // made on the first weights that need tables
  const BlendTables* current = nullptr;     // the tables of the weights in use
  double weightR = 0.0;
  double weightG = 0.0;
  double weightB = 0.0;
};

}  // namespace lumiscene
