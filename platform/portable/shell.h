// SHELL32's ShellExecuteA: opening an address with the user's browser.
#pragma once

#include "platform/portable/win32_types.h"

#define SE_ERR_FNF 2
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_NOASSOC 31

// Only the "open" verb (or none, which means it) is known. The file is handed
// to the desktop's opener without waiting for it; the result is above 32 when
// the opener started and 32 or less when it could not.
HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                               int showCommand);
