#include "app/clock.h"

#include "platform/win32.h"

namespace lumiscene {

ClockState clockState;

void calibrateClock() {
  LARGE_INTEGER frequency;
  frequency.QuadPart = 0;
  clockState.hasPerformanceCounter = QueryPerformanceFrequency(&frequency) != 0;
  const double ticksPerSecond = static_cast<double>(frequency.QuadPart);
  if (!(ticksPerSecond > 0.0)) {
    clockState.hasPerformanceCounter = false;
    return;
  }
  clockState.microsecondsPerTick = 1000000.0 / ticksPerSecond;
}

double microsecondsNow() {
  if (!clockState.hasPerformanceCounter) calibrateClock();
  if (!clockState.hasPerformanceCounter) return 0.0;
  LARGE_INTEGER count;
  count.QuadPart = 0;
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) * clockState.microsecondsPerTick;
}

uint32_t millisecondsNow() {
  // Readings before calibration come from the multimedia timer, as does every
  // reading on a machine without a performance counter.
  if (!clockState.hasPerformanceCounter) return timeGetTime();
  // Truncate toward zero to 64 bits and keep the low 32: the clock wraps like timeGetTime.
  const auto milliseconds = static_cast<int64_t>(microsecondsNow() * 0.001);
  return static_cast<uint32_t>(milliseconds);
}

}  // namespace lumiscene
