// ADVAPI32's registry calls of the portable layer: the per-user settings under
// HKEY_CURRENT_USER that the screensaver's settings dialog keeps.
//
// The registry is the process's own memory: nothing outlives the process, as
// the Linux programs take their choices from the command line instead. Key
// paths and value names are compared without regard to case, as on Windows;
// values keep their type and bytes as given.
#pragma once

#include "platform/portable/win32_types.h"

struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef LONG LSTATUS;
typedef DWORD REGSAM;
typedef BYTE* LPBYTE;

#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))

#define REG_NONE 0
#define REG_SZ 1
#define REG_BINARY 3
#define REG_DWORD 4

#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006

#define ERROR_MORE_DATA 234L

// Opens the key below an open one (or HKEY_CURRENT_USER), making it when it is
// not there; the disposition, when asked for, says which. Options, class and
// security are not used.
LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                               REGSAM access, void* security, PHKEY result, LPDWORD disposition);
// Opens an existing key; ERROR_FILE_NOT_FOUND when there is none.
LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS WINAPI RegCloseKey(HKEY key);
// A value's type and bytes. Without a buffer only the size is given; with one
// too small, ERROR_MORE_DATA and the size needed.
LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD size);
LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                              DWORD size);
LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR name);

namespace portable {

// Forgets every key and value (headless::reset()).
void resetRegistry();

}  // namespace portable
