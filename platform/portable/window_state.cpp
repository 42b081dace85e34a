// The window-state calls: style and other window longs, outer and client
// rectangles, placement, the system metrics they are computed from, and the
// icons and cursors a window class takes.
#include <algorithm>

#include "platform/portable/display.h"
#include "platform/portable/kernel.h"
#include "platform/portable/lasting.h"
#include "platform/portable/window_internal.h"

namespace {

// Metrics of a classic Windows theme; window sizes in the program are built from them.
constexpr int kFrame = 4, kDialogFrame = 3, kBorder = 1, kCaption = 19, kMenu = 19;

HICON__ stockCursor;
HICON__ stockIcon;

}  // namespace

namespace portable {

MINMAXINFO defaultMinMaxInfo() {
  const int32_t width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  MINMAXINFO limits{};
  limits.ptMaxSize = {width + 2 * kFrame, height + 2 * kFrame};
  limits.ptMaxPosition = {-kFrame, -kFrame};
  limits.ptMinTrackSize = {GetSystemMetrics(SM_CXMIN), GetSystemMetrics(SM_CYMIN)};
  limits.ptMaxTrackSize = {std::max(width, display().desktop.width) + 2 * kFrame + 12,
                           std::max(height, display().desktop.height) + 2 * kFrame + 12};
  return limits;
}

}  // namespace portable

using portable::findWindow;

int WINAPI GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
      return portable::display().width;
    case SM_CYSCREEN:
      return portable::display().height;
    case SM_CYFULLSCREEN:
      return std::max(portable::display().height - kCaption, 0);
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return 16;
    case SM_CYCAPTION:
      return kCaption;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return kDialogFrame;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CYMENU:
      return kMenu;
    case SM_CXMIN:
      return 112;
    case SM_CYMIN:
      return 27;
    case SM_CXSIZE:
    case SM_CYSIZE:
      return 18;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return kFrame;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    default:
      return 0;
  }
}

BOOL WINAPI SystemParametersInfoA(UINT action, UINT, LPVOID parameter, UINT) {
  if (action != SPI_GETWORKAREA || parameter == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *static_cast<RECT*>(parameter) = portable::workArea();
  return TRUE;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (name == nullptr) return nullptr;
  if (instance == nullptr) return &stockIcon;
  const auto* image =
      static_cast<const portable::IconTemplate*>(portable::findResourceData(RT_GROUP_ICON, name));
  if (image == nullptr) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  // One handle per icon resource, as Windows shares the icons it loads.
  static std::vector<std::unique_ptr<HICON__>>& icons =
      portable::lasting<std::vector<std::unique_ptr<HICON__>>>();
  for (const auto& icon : icons)
    if (icon->image == image) return icon.get();
  icons.push_back(std::make_unique<HICON__>());
  icons.back()->image = image;
  return icons.back().get();
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  // Only the system's cursors exist; the window manager draws its own pointer.
  if (instance != nullptr || name == nullptr || !IS_INTRESOURCE(name)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return &stockCursor;
}

LONG WINAPI GetWindowLongA(HWND window, int index) {
  return static_cast<LONG>(GetWindowLongPtrA(window, index));
}

LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
  return static_cast<LONG>(SetWindowLongPtrA(
      window, index,
      index == GWL_STYLE || index == GWL_EXSTYLE ? static_cast<LONG_PTR>(static_cast<DWORD>(value)) : value));
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
  const HWND__* record = findWindow(window);
  if (record == nullptr) return 0;
  switch (index) {
    case GWL_STYLE:
      return static_cast<LONG>(record->style | (record->visible ? WS_VISIBLE : 0) |
                               (record->minimised ? WS_MINIMIZE : 0));
    case GWL_EXSTYLE:
      return static_cast<LONG>(record->exStyle);
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(record->proc);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(record->instance);
    case GWLP_USERDATA:
      return record->userData;
    default:
      if (index == DWLP_MSGRESULT && record->dialog != nullptr) return record->messageResult;
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  HWND__* record = findWindow(window);
  if (record == nullptr) return 0;
  const LONG_PTR previous = GetWindowLongPtrA(window, index);
  switch (index) {
    case GWL_STYLE:
      // Visibility and the minimised state are changed by ShowWindow, not by the style.
      record->style = static_cast<DWORD>(value) & ~static_cast<DWORD>(WS_VISIBLE | WS_MINIMIZE);
      portable::fitClientPixels(*record);
      break;
    case GWL_EXSTYLE:
      record->exStyle = static_cast<DWORD>(value);
      break;
    case GWLP_WNDPROC:
      if (value == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      record->proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GWLP_HINSTANCE:
      record->instance = reinterpret_cast<HINSTANCE>(value);
      break;
    case GWLP_USERDATA:
      record->userData = value;
      break;
    default:
      if (index == DWLP_MSGRESULT && record->dialog != nullptr) {
        record->messageResult = value;
        break;
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
  return previous;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (rect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int32_t frame = portable::frameWidth(style, exStyle);
  rect->left -= frame;
  rect->right += frame;
  rect->top -= frame + portable::captionHeight(style) + (menu ? GetSystemMetrics(SM_CYMENU) : 0);
  rect->bottom += frame;
  return TRUE;
}

BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  HWND__* record = findWindow(window);
  if (record == nullptr) return FALSE;
  if (insertAfter != HWND_TOP && insertAfter != HWND_BOTTOM && insertAfter != HWND_TOPMOST &&
      insertAfter != HWND_NOTOPMOST && !(flags & SWP_NOZORDER) && findWindow(insertAfter) == nullptr)
    return FALSE;
  portable::placeWindow(*record, insertAfter, x, y, width, height, flags);
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
  const HWND__* record = findWindow(window);
  if (record == nullptr || rect == nullptr) return FALSE;
  *rect = record->rect;
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  const HWND__* record = findWindow(window);
  if (record == nullptr || rect == nullptr) return FALSE;
  const RECT client = portable::clientRectOnScreen(*record);
  *rect = {0, 0, client.right - client.left, client.bottom - client.top};
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
  const HWND__* record = findWindow(window);
  if (record == nullptr || point == nullptr) return FALSE;
  const RECT client = portable::clientRectOnScreen(*record);
  point->x += client.left;
  point->y += client.top;
  return TRUE;
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (rect == nullptr) return FALSE;
  *rect = {left, top, right, bottom};
  return TRUE;
}
