// ShellExecuteA over the backend's opener.
#include "platform/portable/shell.h"

#include <strings.h>

#include "platform/portable/backend.h"

namespace {

HINSTANCE result(INT_PTR value) { return reinterpret_cast<HINSTANCE>(value); }

}  // namespace

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR, LPCSTR, int) {
  if (operation != nullptr && strcasecmp(operation, "open") != 0) return result(SE_ERR_NOASSOC);
  if (file == nullptr || file[0] == '\0') return result(SE_ERR_FNF);
  // Any value above 32 means success; Windows documents no particular one.
  return backend::openAddress(file) ? result(42) : result(SE_ERR_NOASSOC);
}
