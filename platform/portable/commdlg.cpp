// GetOpenFileNameA over the backend's file chooser.
#include "platform/portable/commdlg.h"

#include <cstring>
#include <string>

#include "platform/portable/backend.h"

namespace {

DWORD lastDialogError = 0;

}  // namespace

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA request) {
  lastDialogError = 0;
  if (request == nullptr || request->lStructSize != sizeof(OPENFILENAMEA) || request->lpstrFile == nullptr ||
      request->nMaxFile == 0) {
    lastDialogError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  std::string path;
  if (!backend::chooseFileToOpen(request->lpstrTitle != nullptr ? request->lpstrTitle : "Open", path))
    return FALSE;
  if (path.size() + 1 > request->nMaxFile) {
    // As Windows does: the first two bytes say how long a buffer the name needs.
    if (request->nMaxFile >= 2) {
      const auto needed = static_cast<uint16_t>(path.size() + 1);
      std::memcpy(request->lpstrFile, &needed, sizeof(needed));
    }
    lastDialogError = FNERR_BUFFERTOOSMALL;
    return FALSE;
  }
  std::memcpy(request->lpstrFile, path.c_str(), path.size() + 1);
  const size_t slash = path.find_last_of("\\/");
  const size_t name = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.find_last_of('.');
  request->nFileOffset = static_cast<WORD>(name);
  request->nFileExtension = static_cast<WORD>(dot == std::string::npos || dot < name ? path.size() : dot + 1);
  return TRUE;
}

DWORD WINAPI CommDlgExtendedError() { return lastDialogError; }
