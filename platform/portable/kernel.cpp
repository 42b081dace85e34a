// Timing calls over the backend's clock.
#include "platform/portable/kernel.h"

#include "platform/portable/backend.h"

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (frequency == nullptr) return FALSE;
  frequency->QuadPart = backend::counterFrequency();
  return frequency->QuadPart != 0 ? TRUE : FALSE;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (count == nullptr) return FALSE;
  count->QuadPart = backend::counterNow();
  return TRUE;
}

DWORD WINAPI timeGetTime() { return backend::millisecondsSinceStart(); }

void WINAPI Sleep(DWORD milliseconds) { backend::sleepMilliseconds(milliseconds); }
