// The one header through which the program reaches the Windows API.
//
// On Windows it is the real thing. Everywhere else it is the project's portable
// implementation of exactly the subset the program calls, with the same names,
// types and result codes, so the program's code compiles unchanged on both.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// <windows.h> first: the others build on its types.
#include <windows.h>

#include <commdlg.h>
#include <ddraw.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <windowsx.h>
#else
#include "platform/portable/advapi.h"
#include "platform/portable/commdlg.h"
#include "platform/portable/ddraw.h"
#include "platform/portable/gdi.h"
#include "platform/portable/kernel.h"
#include "platform/portable/shell.h"
#include "platform/portable/user.h"
#include "platform/portable/win32_types.h"
#endif
