// Pointer calls over the backend.
#include "platform/portable/user.h"

#include "platform/portable/backend.h"

BOOL WINAPI GetCursorPos(POINT* point) {
  if (point == nullptr) return FALSE;
  int32_t x = 0, y = 0;
  if (!backend::readPointer(x, y)) return FALSE;
  point->x = x;
  point->y = y;
  return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y) { return backend::warpPointer(x, y) ? TRUE : FALSE; }
