// KERNEL32 and WINMM timing calls of the portable layer.
#pragma once

#include "platform/portable/win32_types.h"

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count);
DWORD WINAPI timeGetTime();
void WINAPI Sleep(DWORD milliseconds);
