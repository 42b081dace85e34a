// The program's one time base: milliseconds from the performance counter,
// or from the multimedia timer on a machine without one.
//
// A leaf: it depends only on the platform header, so the scene engine can read
// the time without reaching up into the application shell.
#pragma once

#include <cstdint>

namespace lumiscene {

struct ClockState {
  bool hasPerformanceCounter = false;
  double microsecondsPerTick = 0.0;
};

extern ClockState clockState;

// Reads the counter frequency once; called at start-up before the window exists.
void calibrateClock();
// Microseconds since an arbitrary origin; 0.0 without a performance counter.
double microsecondsNow();
// Milliseconds since an arbitrary origin, wrapping at 2^32: users take unsigned differences.
uint32_t millisecondsNow();

}  // namespace lumiscene
