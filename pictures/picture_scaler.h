// Resampling of a picture whose rows arrive one at a time, top to bottom, into
// a window of its scaled form: the whole picture is scaled to scaledWidth x
// scaledHeight and only the width x height pixels from (cropX, cropY) on are
// made. Each axis shrinks by area averaging (every output pixel is the exact
// area-weighted mean of the source pixels it covers) and enlarges bilinearly;
// an axis of unchanged length copies its pixels. Only the output window's sums
// and one source row are held, so a picture of any size costs no more than its
// output.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "scene/image.h"

namespace lumiscene {

struct ScaleWindow {
  int32_t scaledWidth = 0;
  int32_t scaledHeight = 0;
  int32_t cropX = 0;
  int32_t cropY = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// The integer weights through which one axis of the output reads the source:
// output pixel o is the sum over its taps of weight x source[first + tap],
// divided by total.
struct AxisTaps {
  // Source length, scaled length, and the first and count of output pixels wanted.
  AxisTaps(int32_t sourceLength, int32_t scaledLength, int32_t outFirst, int32_t outCount);

  std::vector<int32_t> first;   // per output pixel, its first source pixel
  std::vector<int32_t> offset;  // per output pixel, where its weights begin in weights
  std::vector<int32_t> count;   // per output pixel, how many source pixels it reads
  std::vector<int32_t> weights;
  int64_t total = 0;
  bool identity = false;  // each output pixel is one source pixel
};

class PictureScaler {
 public:
  PictureScaler(int32_t sourceWidth, int32_t sourceHeight, const ScaleWindow& window);

  // The next source row, sourceWidth 0x00RRGGBB pixels.
  void pushRow(const uint32_t* row);
  // The output window once every source row has been pushed; empty before.
  std::unique_ptr<Image> finish();

 private:
  void accumulateRow(int32_t y, const uint32_t* row);

  int32_t sourceWidth_;
  int32_t sourceHeight_;
  ScaleWindow window_;
  AxisTaps columns_;
  AxisTaps rows_;
  int32_t nextRow_ = 0;
  int32_t lowestOpenRow_ = 0;
  std::unique_ptr<Image> out_;
  // Per output row and column, the weighted sums of red, green and blue.
  std::vector<uint64_t> sums_;
  // One source row resampled across, three weighted sums per output column.
  std::vector<uint32_t> across_;
};

// Scales a whole picture held in memory.
std::unique_ptr<Image> scalePicture(const Image& picture, const ScaleWindow& window);

}  // namespace lumiscene
