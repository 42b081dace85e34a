// The narrow interface between the portable Windows subset and a backend.
//
// kernel, user, gdi and ddraw are written once on top of these hooks; a backend
// (sdl/ for the player, headless/ for tests and tools) defines every one of
// them, and the choice is made at link time. A new backend starts from this
// list.
#pragma once

#include <cstdint>

namespace backend {

// Performance counter: ticks per second (0 when there is none) and the current count.
int64_t counterFrequency();
int64_t counterNow();
// Milliseconds since an arbitrary origin, for timeGetTime.
uint32_t millisecondsSinceStart();
// Suspends the calling thread; the headless backend advances its virtual clock instead.
void sleepMilliseconds(uint32_t milliseconds);

// Pointer position in screen coordinates; false when it cannot be read or moved.
bool readPointer(int32_t& x, int32_t& y);
bool warpPointer(int32_t x, int32_t y);

}  // namespace backend
