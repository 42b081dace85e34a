// USER32 calls of the portable layer.
#pragma once

#include "platform/portable/win32_types.h"

BOOL WINAPI GetCursorPos(POINT* point);
BOOL WINAPI SetCursorPos(int x, int y);
