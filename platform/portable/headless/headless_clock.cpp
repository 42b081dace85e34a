// Virtual clock and pointer of the headless backend.
#include "platform/portable/backend.h"
#include "platform/portable/headless/headless.h"
#include "platform/portable/headless/headless_internal.h"

namespace {

struct HeadlessState {
  uint64_t clockMicroseconds = 0;
  uint64_t sleptMilliseconds = 0;
  int64_t counterFrequency = 1'000'000;
  int32_t pointerX = 0;
  int32_t pointerY = 0;
  bool pointerReadable = true;
};

HeadlessState state;

}  // namespace

namespace headless {

void resetClockAndPointer() { state = HeadlessState{}; }

uint64_t clockMicroseconds() { return state.clockMicroseconds; }
void setClockMicroseconds(uint64_t microseconds) { state.clockMicroseconds = microseconds; }
void advanceClockMicroseconds(uint64_t microseconds) { state.clockMicroseconds += microseconds; }
uint64_t sleptMilliseconds() { return state.sleptMilliseconds; }

void setCounterFrequency(int64_t ticksPerSecond) { state.counterFrequency = ticksPerSecond; }

void setPointer(int32_t x, int32_t y) {
  state.pointerX = x;
  state.pointerY = y;
}
void setPointerReadable(bool readable) { state.pointerReadable = readable; }

}  // namespace headless

namespace backend {

int64_t counterFrequency() { return state.counterFrequency; }

int64_t counterNow() {
  // Whole ticks elapsed on the virtual clock, split at whole seconds so that the
  // product cannot overflow for any realistic frequency.
  const int64_t frequency = state.counterFrequency > 0 ? state.counterFrequency : 0;
  const auto seconds = static_cast<int64_t>(state.clockMicroseconds / 1'000'000u);
  const auto rest = static_cast<int64_t>(state.clockMicroseconds % 1'000'000u);
  return seconds * frequency + rest * frequency / 1'000'000;
}

uint32_t millisecondsSinceStart() { return static_cast<uint32_t>(state.clockMicroseconds / 1000u); }

void sleepMilliseconds(uint32_t milliseconds) {
  state.sleptMilliseconds += milliseconds;
  state.clockMicroseconds += static_cast<uint64_t>(milliseconds) * 1000u;
}

bool readPointer(int32_t& x, int32_t& y) {
  if (!state.pointerReadable) return false;
  x = state.pointerX;
  y = state.pointerY;
  return true;
}

bool warpPointer(int32_t x, int32_t y) {
  state.pointerX = x;
  state.pointerY = y;
  return true;
}

}  // namespace backend
