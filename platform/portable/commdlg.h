// COMDLG32's open-file dialog in the portable layer. The backend answers it:
// the headless one with the files a test scripts, the SDL one never (it has no
// file chooser, and the Linux programs take their files on the command line),
// so there it is always cancelled.
#pragma once

#include "platform/portable/win32_types.h"

typedef struct tagOFNA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  void* lpfnHook;
  LPCSTR lpTemplateName;
} OPENFILENAMEA, *LPOPENFILENAMEA;

#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000

#define CDERR_STRUCTSIZE 0x0001
#define FNERR_BUFFERTOOSMALL 0x3003

// TRUE with the chosen path in lpstrFile; FALSE when the user cancelled
// (CommDlgExtendedError() then gives 0) or the request was wrong.
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA request);
DWORD WINAPI CommDlgExtendedError();
