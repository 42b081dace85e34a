// The letterboxed scaler. The filter is bilinear on packed words: red and
// blue blend together in one multiply, green in another, with 8-bit weights.
// Each frame row is stretched across once and kept while the output rows
// that blend it are made.
#include "platform/portable/frame_scale.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/portable/lasting.h"

namespace portable {

namespace {

// a towards b by weight / 256 (weight 0..256).
inline uint32_t blend(uint32_t a, uint32_t b, uint32_t weight) {
  const uint32_t keep = 256 - weight;
  const uint32_t redBlue = (((a & 0xFF00FF) * keep + (b & 0xFF00FF) * weight) >> 8) & 0xFF00FF;
  const uint32_t green = (((a & 0x00FF00) * keep + (b & 0x00FF00) * weight) >> 8) & 0x00FF00;
  return redBlue | green;
}

// For each output position, the source pixel left of (above) its centre and the weight of the next one.
struct Taps {
  std::vector<int32_t> first;
  std::vector<uint32_t> weight;
};

Taps taps(int32_t sourceSize, int32_t outputSize) {
  Taps result;
  result.first.resize(static_cast<size_t>(outputSize));
  result.weight.resize(static_cast<size_t>(outputSize));
  // Centres in 16.16 fixed point: (i + 0.5) * source / output - 0.5.
  const int64_t step = (int64_t{sourceSize} << 16) / outputSize;
  for (int32_t i = 0; i < outputSize; ++i) {
    const int64_t centre =
        std::clamp<int64_t>(step / 2 + i * step - 0x8000, 0, int64_t{sourceSize - 1} << 16);
    result.first[static_cast<size_t>(i)] = static_cast<int32_t>(centre >> 16);
    result.weight[static_cast<size_t>(i)] = static_cast<uint32_t>((centre >> 8) & 0xFF);
  }
  return result;
}

void stretchRow(const uint32_t* source, int32_t sourceWidth, const Taps& across, uint32_t* out) {
  const size_t width = across.first.size();
  for (size_t i = 0; i < width; ++i) {
    const int32_t left = across.first[i];
    out[i] = blend(source[left], source[std::min(left + 1, sourceWidth - 1)], across.weight[i]);
  }
}

void scaleWhole(const uint32_t* frame, const Letterbox& box, uint32_t* target, int32_t pitch) {
  for (int32_t row = 0; row < box.frameHeight; ++row) {
    const uint32_t* source = frame + static_cast<std::ptrdiff_t>(row) * box.frameWidth;
    uint32_t* first = target + static_cast<std::ptrdiff_t>(box.y + row * box.factor) * pitch + box.x;
    for (int32_t column = 0; column < box.frameWidth; ++column)
      std::fill_n(first + static_cast<std::ptrdiff_t>(column) * box.factor, box.factor, source[column]);
    for (int32_t repeat = 1; repeat < box.factor; ++repeat)
      std::copy_n(first, box.width, first + static_cast<std::ptrdiff_t>(repeat) * pitch);
  }
}

void scaleFiltered(const uint32_t* frame, const Letterbox& box, uint32_t* target, int32_t pitch) {
  // Kept from frame to frame; lasting, since a present may still come from a global destructor.
  static Taps& across = lasting<Taps>();
  static Taps& down = lasting<Taps>();
  static int32_t tapsFor[4] = {};
  if (tapsFor[0] != box.frameWidth || tapsFor[1] != box.width || tapsFor[2] != box.frameHeight ||
      tapsFor[3] != box.height) {
    across = taps(box.frameWidth, box.width);
    down = taps(box.frameHeight, box.height);
    tapsFor[0] = box.frameWidth;
    tapsFor[1] = box.width;
    tapsFor[2] = box.frameHeight;
    tapsFor[3] = box.height;
  }
  static std::vector<uint32_t>& upper = lasting<std::vector<uint32_t>>();
  static std::vector<uint32_t>& lower = lasting<std::vector<uint32_t>>();
  upper.resize(static_cast<size_t>(box.width));
  lower.resize(static_cast<size_t>(box.width));
  int32_t upperRow = -1, lowerRow = -1;
  for (int32_t row = 0; row < box.height; ++row) {
    const int32_t top = down.first[static_cast<size_t>(row)];
    const int32_t bottom = std::min(top + 1, box.frameHeight - 1);
    if (upperRow != top) {
      if (lowerRow == top) {
        std::swap(upper, lower);
        std::swap(upperRow, lowerRow);
      } else {
        stretchRow(frame + static_cast<std::ptrdiff_t>(top) * box.frameWidth, box.frameWidth, across,
                   upper.data());
        upperRow = top;
      }
    }
    if (lowerRow != bottom) {
      stretchRow(frame + static_cast<std::ptrdiff_t>(bottom) * box.frameWidth, box.frameWidth, across,
                 lower.data());
      lowerRow = bottom;
    }
    const uint32_t weight = down.weight[static_cast<size_t>(row)];
    uint32_t* out = target + static_cast<std::ptrdiff_t>(box.y + row) * pitch + box.x;
    for (int32_t column = 0; column < box.width; ++column)
      out[column] = blend(upper[static_cast<size_t>(column)], lower[static_cast<size_t>(column)], weight);
  }
}

}  // namespace

void scaleFrame(const uint32_t* frame, const Letterbox& asked, uint32_t* target, int32_t targetWidth,
                int32_t targetHeight, int32_t targetPitch) {
  // A window manager may refuse the size a box was made for; never write past the target.
  const bool fits = asked.x >= 0 && asked.y >= 0 && asked.x + asked.width <= targetWidth &&
                    asked.y + asked.height <= targetHeight;
  const Letterbox box =
      fits ? asked : fitFrame(targetWidth, targetHeight, asked.frameWidth, asked.frameHeight);
  // Bars: the rows above and below, and the strips left and right of the frame.
  for (int32_t row = 0; row < targetHeight; ++row) {
    uint32_t* line = target + static_cast<std::ptrdiff_t>(row) * targetPitch;
    if (row < box.y || row >= box.y + box.height) {
      std::fill_n(line, targetWidth, 0u);
    } else {
      std::fill_n(line, box.x, 0u);
      std::fill_n(line + box.x + box.width, targetWidth - box.x - box.width, 0u);
    }
  }
  if (box.factor == 1) {
    for (int32_t row = 0; row < box.height; ++row)
      std::copy_n(frame + static_cast<std::ptrdiff_t>(row) * box.frameWidth, box.width,
                  target + static_cast<std::ptrdiff_t>(box.y + row) * targetPitch + box.x);
  } else if (box.factor > 1) {
    scaleWhole(frame, box, target, targetPitch);
  } else {
    scaleFiltered(frame, box, target, targetPitch);
  }
}

}  // namespace portable
