// Where a frame lands when it is shown larger than itself (full-screen on any
// screen, a window on a desktop that asks for scaling), and how the pointer
// over it maps back into the frame. Pure arithmetic, shared by the backends
// and tested headless.
#pragma once

#include <cstdint>

namespace portable {

// The frame's rectangle on the target; the rest of the target is bars.
struct Letterbox {
  int32_t x = 0, y = 0;
  int32_t width = 0, height = 0;
  int32_t frameWidth = 0, frameHeight = 0;
  // A whole factor (every frame pixel a square of factor x factor) or 0 when
  // the scale is a fraction and the frame must be filtered.
  int32_t factor = 1;
};

// Fits a frame into a target keeping its shape, centred. Targets at least
// twice the frame's size in both directions get the largest whole factor (sharp
// pixels, wider bars); smaller ones the largest fractional scale.
Letterbox fitFrame(int32_t targetWidth, int32_t targetHeight, int32_t frameWidth, int32_t frameHeight);
// A whole factor over the entire target (a scaled window: no bars).
Letterbox wholeFactor(int32_t frameWidth, int32_t frameHeight, int32_t factor);

// The frame position under a target position: what a click or a move hits.
// Positions on the bars belong to the nearest frame edge.
void targetToFrame(const Letterbox& box, int32_t x, int32_t y, int32_t& frameX, int32_t& frameY);
// The pointer as the program reads it while the frame is scaled: one unit per
// target pixel moved, from the frame's corner, so the picture pans by as much
// per pixel the hand moves as it does unscaled. pointerToTarget inverts it,
// kept on the target.
void targetToPointer(const Letterbox& box, int32_t x, int32_t y, int32_t& pointerX, int32_t& pointerY);
void pointerToTarget(const Letterbox& box, int32_t targetWidth, int32_t targetHeight, int32_t pointerX,
                     int32_t pointerY, int32_t& x, int32_t& y);

}  // namespace portable
