// The program's one frame driver and what it is fed: the program's clock,
// Sleep and pointer, and each frame the window's activity, the display depth
// and the two loaded pictures.
#pragma once

#include "scene/frame_driver.h"
#include "scene/pointer_drift.h"

namespace lumiscene {

extern FrameDriver frameDriver;
// The pointer the frame driver follows while the program runs as a screensaver.
extern PointerDrift saverDrift;

// The services the program's frame driver calls (a fresh driver for tests and tools takes these too).
FrameHost programFrameHost();
// The program's state for the coming frame.
FrameInputs programFrameInputs();

}  // namespace lumiscene
