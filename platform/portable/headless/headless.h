// Control interface of the headless backend, for tests and tools only.
//
// The headless backend has no screen. Its clock is virtual: it reads 0 after
// reset() and moves only when the program calls Sleep or a test advances it,
// so every frame of an animation is reproducible and a minute of it runs in
// moments. The pointer sits where the test puts it.
#pragma once

#include <cstdint>

namespace headless {

// Returns every control to its start state: clock at 0, a 1 MHz performance
// counter, the pointer at (0, 0) and readable.
void reset();

uint64_t clockMicroseconds();
void setClockMicroseconds(uint64_t microseconds);
void advanceClockMicroseconds(uint64_t microseconds);
// Total milliseconds requested through Sleep since reset().
uint64_t sleptMilliseconds();

// Counter ticks per second; 0 makes QueryPerformanceFrequency fail, as on a
// machine without a performance counter.
void setCounterFrequency(int64_t ticksPerSecond);

void setPointer(int32_t x, int32_t y);
// When false, GetCursorPos fails (as it does on a secure desktop).
void setPointerReadable(bool readable);

}  // namespace headless
