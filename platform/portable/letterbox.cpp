// Letterbox geometry and the pointer's mapping through it.
#include "platform/portable/letterbox.h"

#include <algorithm>

namespace portable {

Letterbox fitFrame(int32_t targetWidth, int32_t targetHeight, int32_t frameWidth, int32_t frameHeight) {
  Letterbox box;
  box.frameWidth = std::max(frameWidth, 1);
  box.frameHeight = std::max(frameHeight, 1);
  targetWidth = std::max(targetWidth, 1);
  targetHeight = std::max(targetHeight, 1);
  const int32_t whole = std::min(targetWidth / box.frameWidth, targetHeight / box.frameHeight);
  if (whole >= 2) {
    box.factor = whole;
    box.width = box.frameWidth * whole;
    box.height = box.frameHeight * whole;
  } else {
    // Compared as cross products so that a screen of exactly the frame's shape fills without a bar.
    const bool widthBound = int64_t{targetWidth} * box.frameHeight <= int64_t{targetHeight} * box.frameWidth;
    if (widthBound) {
      box.width = targetWidth;
      box.height = static_cast<int32_t>((int64_t{targetWidth} * box.frameHeight + box.frameWidth / 2) /
                                        box.frameWidth);
    } else {
      box.height = targetHeight;
      box.width = static_cast<int32_t>((int64_t{targetHeight} * box.frameWidth + box.frameHeight / 2) /
                                       box.frameHeight);
    }
    box.width = std::clamp(box.width, 1, targetWidth);
    box.height = std::clamp(box.height, 1, targetHeight);
    box.factor = box.width == box.frameWidth && box.height == box.frameHeight ? 1 : 0;
  }
  box.x = (targetWidth - box.width) / 2;
  box.y = (targetHeight - box.height) / 2;
  return box;
}

Letterbox wholeFactor(int32_t frameWidth, int32_t frameHeight, int32_t factor) {
  Letterbox box;
  box.factor = std::max(factor, 1);
  box.frameWidth = std::max(frameWidth, 1);
  box.frameHeight = std::max(frameHeight, 1);
  box.width = box.frameWidth * box.factor;
  box.height = box.frameHeight * box.factor;
  return box;
}

void targetToFrame(const Letterbox& box, int32_t x, int32_t y, int32_t& frameX, int32_t& frameY) {
  const int64_t across = std::clamp<int64_t>(x - box.x, 0, box.width - 1);
  const int64_t down = std::clamp<int64_t>(y - box.y, 0, box.height - 1);
  frameX = static_cast<int32_t>(across * box.frameWidth / box.width);
  frameY = static_cast<int32_t>(down * box.frameHeight / box.height);
}

void targetToPointer(const Letterbox& box, int32_t x, int32_t y, int32_t& pointerX, int32_t& pointerY) {
  pointerX = x - box.x;
  pointerY = y - box.y;
}

void pointerToTarget(const Letterbox& box, int32_t targetWidth, int32_t targetHeight, int32_t pointerX,
                     int32_t pointerY, int32_t& x, int32_t& y) {
  x = std::clamp(pointerX + box.x, 0, std::max(targetWidth - 1, 0));
  y = std::clamp(pointerY + box.y, 0, std::max(targetHeight - 1, 0));
}

}  // namespace portable
