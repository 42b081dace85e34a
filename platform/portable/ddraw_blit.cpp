// Colour fill and copy between pixel blocks: the work behind Blt and BltFast.
//
// Copies between blocks of one layout move raw values; between layouts each
// pixel goes through its colour. The colour key compares raw source values.
// A copy whose source and target share memory reads from a snapshot of the
// source area, so overlapping areas come out as if copied at once.
#include <algorithm>
#include <cstring>
#include <vector>

#include "cpu/forward_copy.h"
#include "platform/portable/ddraw_internal.h"

namespace portable {

void fillBlock(PixelBlock& target, const RECT& area, uint32_t value) {
  const int32_t bytes = target.layout.bytesPerPixel();
  const int32_t width = area.right - area.left;
  if (width <= 0) return;
  const size_t rowBytes = static_cast<size_t>(width) * bytes;
  uint8_t pixel[4] = {};
  writePixel(pixel, bytes, value);
  // The program clears a whole frame every step, mostly to black: a value
  // whose bytes are all alike is a plain memset.
  const bool sameBytes = std::all_of(pixel, pixel + bytes, [&](uint8_t byte) { return byte == pixel[0]; });
  for (int32_t y = area.top; y < area.bottom; ++y) {
    uint8_t* row =
        target.pixels + static_cast<ptrdiff_t>(y) * target.pitch + static_cast<ptrdiff_t>(area.left) * bytes;
    if (sameBytes) {
      std::memset(row, pixel[0], rowBytes);
      continue;
    }
    // Otherwise one pixel is written and the filled part doubled until the row is full.
    std::memcpy(row, pixel, static_cast<size_t>(bytes));
    for (size_t filled = static_cast<size_t>(bytes); filled < rowBytes; filled *= 2)
      std::memcpy(row + filled, row, std::min(filled, rowBytes - filled));
  }
}

void copyBlock(PixelBlock& target, const RECT& targetArea, const RECT& clip, const PixelBlock& source,
               const RECT& sourceArea, const KeyRange& key) {
  const int32_t targetWidth = targetArea.right - targetArea.left,
                targetHeight = targetArea.bottom - targetArea.top;
  const int32_t sourceWidth = sourceArea.right - sourceArea.left,
                sourceHeight = sourceArea.bottom - sourceArea.top;
  if (targetWidth <= 0 || targetHeight <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return;
  const int32_t left = std::max(clip.left, targetArea.left), right = std::min(clip.right, targetArea.right);
  const int32_t top = std::max(clip.top, targetArea.top), bottom = std::min(clip.bottom, targetArea.bottom);
  if (left >= right || top >= bottom) return;

  // Reading from a snapshot keeps overlapping copies within one surface correct.
  PixelBlock from = source;
  std::vector<uint8_t> snapshot;
  const int32_t sourceBytes = source.layout.bytesPerPixel();
  if (source.pixels == target.pixels) {
    snapshot.resize(static_cast<size_t>(sourceWidth) * sourceHeight * sourceBytes);
    for (int32_t y = 0; y < sourceHeight; ++y)
      std::memcpy(snapshot.data() + static_cast<size_t>(y) * sourceWidth * sourceBytes,
                  source.pixels + static_cast<ptrdiff_t>(sourceArea.top + y) * source.pitch +
                      static_cast<ptrdiff_t>(sourceArea.left) * sourceBytes,
                  static_cast<size_t>(sourceWidth) * sourceBytes);
    from = {snapshot.data(), sourceWidth * sourceBytes, sourceWidth, sourceHeight, source.layout};
  }
  const int32_t originX = source.pixels == target.pixels ? 0 : sourceArea.left;
  const int32_t originY = source.pixels == target.pixels ? 0 : sourceArea.top;

  const int32_t targetBytes = target.layout.bytesPerPixel();
  const bool sameLayout = source.layout == target.layout;
  const bool oneToOne = sourceWidth == targetWidth && sourceHeight == targetHeight;
  for (int32_t y = top; y < bottom; ++y) {
    const int32_t sourceY = originY + static_cast<int32_t>(static_cast<int64_t>(y - targetArea.top) *
                                                           sourceHeight / targetHeight);
    const uint8_t* sourceRow = from.pixels + static_cast<ptrdiff_t>(sourceY) * from.pitch;
    uint8_t* targetRow = target.pixels + static_cast<ptrdiff_t>(y) * target.pitch;
    if (sameLayout && oneToOne && !key.active) {
      // A back buffer and its primary lie alike within their pages: no C library copy.
      lumiscene::cpu::copyForward(
          targetRow + static_cast<ptrdiff_t>(left) * targetBytes,
          sourceRow + static_cast<ptrdiff_t>(originX + left - targetArea.left) * sourceBytes,
          static_cast<size_t>(right - left) * targetBytes);
      continue;
    }
    if (sameLayout && oneToOne && targetBytes == 4) {
      // The labels drawn over every frame: whole words, no scaling, a key.
      const uint8_t* from = sourceRow + static_cast<ptrdiff_t>(originX + left - targetArea.left) * 4;
      uint8_t* to = targetRow + static_cast<ptrdiff_t>(left) * 4;
      for (int32_t x = 0; x < right - left; ++x) {
        uint32_t value;
        std::memcpy(&value, from + static_cast<ptrdiff_t>(x) * 4, 4);
        if (value >= key.low && value <= key.high) continue;
        std::memcpy(to + static_cast<ptrdiff_t>(x) * 4, &value, 4);
      }
      continue;
    }
    for (int32_t x = left; x < right; ++x) {
      const int32_t sourceX = originX + static_cast<int32_t>(static_cast<int64_t>(x - targetArea.left) *
                                                             sourceWidth / targetWidth);
      uint32_t value = readPixel(sourceRow + static_cast<ptrdiff_t>(sourceX) * sourceBytes, sourceBytes) &
                       source.layout.valueMask();
      if (key.active && value >= key.low && value <= key.high) continue;
      if (!sameLayout) {
        const uint32_t rgb = decodePixel(source.layout, value);
        value = encodePixel(target.layout, static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                            static_cast<uint8_t>(rgb));
      }
      writePixel(targetRow + static_cast<ptrdiff_t>(x) * targetBytes, targetBytes, value);
    }
  }
}

}  // namespace portable
