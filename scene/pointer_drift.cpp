#include "scene/pointer_drift.h"

namespace lumiscene {

CursorPosition PointerDrift::at(uint32_t nowMs) {
  if (started_) elapsedMs_ += nowMs - lastMs_;
  started_ = true;
  lastMs_ = nowMs;
  return after(elapsedMs_);
}

CursorPosition PointerDrift::after(uint64_t driftMs) {
  // Whole pixels only, as a real pointer reports them; the frame driver wraps
  // positions to 32 bits the same way it wraps a real pointer's.
  CursorPosition position;
  position.x = static_cast<int32_t>(static_cast<uint32_t>(driftMs * driftPixels / driftPeriodMs));
  return position;
}

}  // namespace lumiscene
