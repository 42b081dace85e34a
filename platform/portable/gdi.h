// GDI calls of the portable layer (with USER32's GetDC and ReleaseDC): device
// contexts of the screen and of DirectDraw surfaces, the default font, opaque
// text, and single pixels. Colours are 0x00BBGGRR.
#pragma once

#include "platform/portable/win32_types.h"

#define CLR_INVALID 0xFFFFFFFF
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define HGDI_ERROR ((HGDIOBJ)(LONG_PTR)-1)

// A null window gives the screen's context.
HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC dc);
HGDIOBJ WINAPI GetStockObject(int object);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size);
COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour);
COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour);
BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
COLORREF WINAPI GetPixel(HDC dc, int x, int y);
COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF colour);
