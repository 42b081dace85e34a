// A pointer that moves by itself: steadily to the right, as if the user pushed
// it slowly and evenly. A screensaver feeds it to the frame driver instead of
// the real pointer, whose movement must end the saver rather than pan the
// picture, so that the panorama still travels.
#pragma once

#include <cstdint>

#include "scene/frame_driver.h"

namespace lumiscene {

class PointerDrift {
public:
  // The pointer travels driftPixels every driftPeriodMs. The frame driver pans
  // panFactorX times as far, so the panorama passes one mirrored width (the
  // picture and its mirror image, 1280 pixels) every two minutes: slow enough
  // to look calm, fast enough to see that it moves.
  static constexpr int32_t driftPixels = 640;
  static constexpr uint32_t driftPeriodMs = 120000;

  // The position at nowMs (the frame driver's clock, wrapping at 2^32). The
  // first call is the origin (0, 0); every later one counts the time since.
  CursorPosition at(uint32_t nowMs);
  // The position driftMs after the origin.
  static CursorPosition after(uint64_t driftMs);

private:
  bool started_ = false;
  uint32_t lastMs_ = 0;
  uint64_t elapsedMs_ = 0;  // 64 bits: the drift goes on evenly when the clock wraps
};

}  // namespace lumiscene
