// Timing calls over the backend's clock, the module handle and the last-error code.
#include "platform/portable/kernel.h"

#include "platform/portable/backend.h"

namespace {

// The one module there is: the program itself.
struct ModuleTag {
  int unused;
};
ModuleTag programModule;
DWORD lastError = ERROR_SUCCESS;

}  // namespace

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

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName != nullptr) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(&programModule);
}

DWORD WINAPI GetLastError() { return lastError; }
void WINAPI SetLastError(DWORD error) { lastError = error; }
