// Draws a frame larger than itself through a letterbox, for backends that
// show pixels with plain memory copies: bars black, whole factors by
// repeating each pixel, fractional scales filtered so that thin strokes (the
// labels' letters) keep an even weight.
#pragma once

#include <cstdint>

#include "platform/portable/letterbox.h"

namespace portable {

// frame: box.frameWidth x box.frameHeight pixels of 0x00RRGGBB, rows packed.
// target: targetWidth x targetHeight pixels of the same form, pitch in pixels.
// A box that does not fit the target is replaced by the target's own fit.
void scaleFrame(const uint32_t* frame, const Letterbox& box, uint32_t* target, int32_t targetWidth,
                int32_t targetHeight, int32_t targetPitch);
// The same with the filter's rows in their plain form, which the SSE2 rows
// scaleFrame takes on x86-64 must match word for word.
void scaleFramePlain(const uint32_t* frame, const Letterbox& box, uint32_t* target, int32_t targetWidth,
                     int32_t targetHeight, int32_t targetPitch);

}  // namespace portable
