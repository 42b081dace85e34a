// The picture resampler: per-axis tap tables, a pass across each arriving row
// and weighted sums down the output window.
#include "pictures/picture_scaler.h"

#include <algorithm>
#include <cstring>

namespace lumiscene {

namespace {

// Bilinear weights are fractions of this; it keeps the sums of a row of 8192
// enlarged pixels well inside 32 bits.
constexpr int32_t kBilinearOne = 4096;

}  // namespace

AxisTaps::AxisTaps(int32_t sourceLength, int32_t scaledLength, int32_t outFirst, int32_t outCount) {
  const int64_t n = sourceLength, m = scaledLength;
  identity = n == m;
  for (int32_t o = 0; o < outCount; ++o) {
    const int64_t at = outFirst + o;
    offset.push_back(static_cast<int32_t>(weights.size()));
    if (identity) {
      first.push_back(static_cast<int32_t>(at));
      count.push_back(1);
      weights.push_back(1);
    } else if (m < n) {
      // In units where a source pixel is m long and an output pixel n long, the
      // output pixel covers [at * n, (at + 1) * n); each source pixel it meets
      // weighs as much as the length they share.
      const int64_t begin = at * n, end = (at + 1) * n;
      const int64_t lo = begin / m, hi = (end - 1) / m;
      first.push_back(static_cast<int32_t>(lo));
      count.push_back(static_cast<int32_t>(hi - lo + 1));
      for (int64_t i = lo; i <= hi; ++i) {
        weights.push_back(static_cast<int32_t>(std::min((i + 1) * m, end) - std::max(i * m, begin)));
      }
    } else {
      // The output pixel's centre in source coordinates is ((2 at + 1) n - m) / 2m;
      // outside the first and last source centres the edge pixel is repeated.
      const int64_t numerator = (2 * at + 1) * n - m, denominator = 2 * m;
      int64_t lo = numerator < 0 ? 0 : numerator / denominator;
      int64_t fraction =
          numerator < 0 ? 0 : ((numerator - lo * denominator) * kBilinearOne + m) / denominator;
      if (lo >= n - 1) {
        lo = n - 1;
        fraction = 0;
      }
      first.push_back(static_cast<int32_t>(lo));
      if (fraction == 0) {
        count.push_back(1);
        weights.push_back(kBilinearOne);
      } else {
        count.push_back(2);
        weights.push_back(static_cast<int32_t>(kBilinearOne - fraction));
        weights.push_back(static_cast<int32_t>(fraction));
      }
    }
  }
  total = identity ? 1 : (m < n ? n : kBilinearOne);
}

PictureScaler::PictureScaler(int32_t sourceWidth, int32_t sourceHeight, const ScaleWindow& window)
    : sourceWidth_(sourceWidth),
      sourceHeight_(sourceHeight),
      window_(window),
      columns_(sourceWidth, window.scaledWidth, window.cropX, window.width),
      rows_(sourceHeight, window.scaledHeight, window.cropY, window.height),
      out_(std::make_unique<Image>()) {
  out_->create(window.width, window.height, 0);
  if (!columns_.identity || !rows_.identity) {
    sums_.assign(static_cast<size_t>(window.width) * window.height * 3, 0);
    across_.assign(static_cast<size_t>(window.width) * 3, 0);
  }
}

void PictureScaler::pushRow(const uint32_t* row) {
  const int32_t y = nextRow_++;
  if (y >= sourceHeight_ || out_->pixels == nullptr) return;
  if (columns_.identity && rows_.identity) {
    const int32_t outRow = y - window_.cropY;
    if (outRow >= 0 && outRow < window_.height) {
      std::memcpy(out_->pixelAt(0, outRow), row + window_.cropX, static_cast<size_t>(window_.width) * 4);
    }
    return;
  }
  accumulateRow(y, row);
}

void PictureScaler::accumulateRow(int32_t y, const uint32_t* row) {
  const int32_t outRows = window_.height;
  while (lowestOpenRow_ < outRows && rows_.first[lowestOpenRow_] + rows_.count[lowestOpenRow_] <= y) {
    ++lowestOpenRow_;
  }
  // Rows above or below the window are read and dropped.
  if (lowestOpenRow_ == outRows || rows_.first[lowestOpenRow_] > y) return;

  uint32_t* across = across_.data();
  for (int32_t x = 0; x < window_.width; ++x) {
    const int32_t* w = columns_.weights.data() + columns_.offset[x];
    const uint32_t* source = row + columns_.first[x];
    uint32_t r = 0, g = 0, b = 0;
    for (int32_t t = 0, n = columns_.count[x]; t < n; ++t) {
      const uint32_t p = source[t], weight = static_cast<uint32_t>(w[t]);
      r += weight * (p >> 16 & 0xFF);
      g += weight * (p >> 8 & 0xFF);
      b += weight * (p & 0xFF);
    }
    across[3 * x] = r;
    across[3 * x + 1] = g;
    across[3 * x + 2] = b;
  }

  const size_t rowSums = static_cast<size_t>(window_.width) * 3;
  for (int32_t o = lowestOpenRow_; o < outRows && rows_.first[o] <= y; ++o) {
    const int32_t tap = y - rows_.first[o];
    if (tap >= rows_.count[o]) continue;
    const uint64_t weight = static_cast<uint64_t>(rows_.weights[rows_.offset[o] + tap]);
    uint64_t* sums = sums_.data() + rowSums * o;
    for (size_t i = 0; i < rowSums; ++i) sums[i] += weight * across[i];
  }
}

std::unique_ptr<Image> PictureScaler::finish() {
  if (nextRow_ < sourceHeight_ || out_->pixels == nullptr) return std::make_unique<Image>();
  if (!sums_.empty()) {
    const uint64_t total = static_cast<uint64_t>(columns_.total * rows_.total);
    const uint64_t half = total / 2;
    const uint64_t* sums = sums_.data();
    for (int32_t y = 0; y < window_.height; ++y) {
      uint32_t* out = out_->pixelAt(0, y);
      for (int32_t x = 0; x < window_.width; ++x, sums += 3) {
        const auto r = static_cast<uint32_t>((sums[0] + half) / total);
        const auto g = static_cast<uint32_t>((sums[1] + half) / total);
        const auto b = static_cast<uint32_t>((sums[2] + half) / total);
        out[x] = r << 16 | g << 8 | b;
      }
    }
    std::vector<uint64_t>().swap(sums_);
  }
  return std::move(out_);
}

std::unique_ptr<Image> scalePicture(const Image& picture, const ScaleWindow& window) {
  PictureScaler scaler(picture.width, picture.height, window);
  for (int32_t y = 0; y < picture.height; ++y) scaler.pushRow(picture.pixelAt(0, y));
  return scaler.finish();
}

}  // namespace lumiscene
