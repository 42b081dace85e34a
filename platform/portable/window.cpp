// Window classes and windows: creation with its messages, show states,
// placement, style and the geometry calls, all consistent with one another.
//
// The frame, caption and menu heights are the layer's own system metrics; in
// the SDL window the window manager draws its decorations and the layer draws
// the menu strip, so the backend's window content is the menu strip plus the
// client area.
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/portable/backend.h"
#include "platform/portable/canvas.h"
#include "platform/portable/display.h"
#include "platform/portable/kernel.h"
#include "platform/portable/lasting.h"
#include "platform/portable/window_internal.h"

namespace {

struct WindowClass {
  WNDCLASSEXA description{};
  std::string name;
  std::string menuName;  // "" when none; "#n" for an integer id
};

std::map<std::string, WindowClass>& classes = portable::lasting<std::map<std::string, WindowClass>>();
std::vector<std::unique_ptr<HWND__>>& windows = portable::lasting<std::vector<std::unique_ptr<HWND__>>>();

std::string upper(const char* text) {
  std::string result;
  for (; *text != '\0'; ++text)
    result += static_cast<char>(*text >= 'a' && *text <= 'z' ? *text - 32 : *text);
  return result;
}

bool hasFullFrame(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION; }

}  // namespace

namespace portable {

HWND__* findWindow(HWND window) {
  for (const auto& record : windows)
    if (record.get() == window && record->alive) return record.get();
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}

void settleClientsOf(const void* surface, const HWND__* except) {
  for (const auto& record : windows)
    if (record->shownFrom.surface == surface && record.get() != except) settleClientPixels(*record);
}

HWND__* screenWindow() {
  for (const auto& record : windows)
    if (record->alive && record->onScreen) return record.get();
  return nullptr;
}

int32_t frameWidth(DWORD style, DWORD exStyle) {
  if (style & WS_THICKFRAME) return GetSystemMetrics(SM_CXFRAME);
  if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) return GetSystemMetrics(SM_CXDLGFRAME);
  if (style & WS_BORDER) return GetSystemMetrics(SM_CXBORDER);
  return 0;
}

int32_t captionHeight(DWORD style) { return hasFullFrame(style) ? GetSystemMetrics(SM_CYCAPTION) : 0; }

int32_t menuHeight(const HWND__& window) {
  return window.menu != nullptr && !(window.style & WS_CHILD) ? GetSystemMetrics(SM_CYMENU) : 0;
}

RECT clientRectOnScreen(const HWND__& window) {
  const int32_t frame = frameWidth(window.style, window.exStyle);
  RECT client = {window.rect.left + frame,
                 window.rect.top + frame + captionHeight(window.style) + menuHeight(window),
                 window.rect.right - frame, window.rect.bottom - frame};
  client.right = std::max(client.right, client.left);
  client.bottom = std::max(client.bottom, client.top);
  return client;
}

POINT contentOrigin(const HWND__& window) {
  const int32_t frame = frameWidth(window.style, window.exStyle);
  return {window.rect.left + frame, window.rect.top + frame + captionHeight(window.style)};
}

void fitClientPixels(HWND__& window) {
  const RECT client = clientRectOnScreen(window);
  const int32_t width = client.right - client.left, height = client.bottom - client.top;
  if (width == window.clientWidth && height == window.clientHeight) return;
  settleClientPixels(window);
  // The class brush is a system colour index plus one; COLOR_WINDOW is white.
  const auto brush = reinterpret_cast<uintptr_t>(window.background);
  const uint32_t background = brush == COLOR_WINDOW + 1    ? 0xFFFFFF
                              : brush == COLOR_BTNFACE + 1 ? kFaceColour
                                                           : 0;
  std::vector<uint32_t> resized(static_cast<size_t>(width) * height, background);
  for (int32_t row = 0; row < std::min(height, window.clientHeight); ++row)
    std::copy_n(window.client.begin() + static_cast<ptrdiff_t>(row) * window.clientWidth,
                std::min(width, window.clientWidth), resized.begin() + static_cast<ptrdiff_t>(row) * width);
  window.client = std::move(resized);
  window.clientWidth = width;
  window.clientHeight = height;
}

void placeWindow(HWND__& window, HWND insertAfter, int32_t x, int32_t y, int32_t width, int32_t height,
                 UINT flags) {
  WINDOWPOS position = {&window, insertAfter, x, y, width, height, flags};
  if (flags & SWP_NOMOVE) {
    position.x = window.rect.left;
    position.y = window.rect.top;
  }
  if (flags & SWP_NOSIZE) {
    position.cx = window.rect.right - window.rect.left;
    position.cy = window.rect.bottom - window.rect.top;
  }
  if (!(flags & SWP_NOSENDCHANGING))
    sendMessage(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&position));
  if (!window.alive) return;
  // Compared with what was last laid out, so that menu and style changes count as changes.
  const RECT oldClient = window.laidOutClient;
  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOPMOST) window.exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST) window.exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
  }
  window.rect = {position.x, position.y, position.x + std::max(position.cx, 0),
                 position.y + std::max(position.cy, 0)};
  const RECT newClient = clientRectOnScreen(window);
  window.laidOutClient = newClient;
  UINT changed = position.flags;
  if (newClient.left == oldClient.left && newClient.top == oldClient.top) changed |= SWP_NOCLIENTMOVE;
  if (newClient.right - newClient.left == oldClient.right - oldClient.left &&
      newClient.bottom - newClient.top == oldClient.bottom - oldClient.top)
    changed |= SWP_NOCLIENTSIZE;
  fitClientPixels(window);
  if (window.onScreen) {
    const POINT origin = contentOrigin(window);
    backend::placeWindow(origin.x, origin.y, window.clientWidth, window.clientHeight + menuHeight(window));
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(&window, SW_SHOWNA);
  if (flags & SWP_HIDEWINDOW) ShowWindow(&window, SW_HIDE);
  position.flags = changed;
  sendMessage(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
  if (window.alive && window.visible) presentWindow(window);
}

void setActive(HWND__& window, bool active) {
  if (window.active == active) return;
  window.active = active;
  sendMessage(window, WM_ACTIVATE, MAKEWPARAM(active ? WA_ACTIVE : WA_INACTIVE, window.minimised ? 1 : 0), 0);
}

void setMinimised(HWND__& window, bool minimised) {
  if (window.minimised == minimised) return;
  window.minimised = minimised;
  if (minimised) {
    sendMessage(window, WM_SIZE, SIZE_MINIMIZED, 0);
    if (window.alive) setActive(window, false);
    if (window.onScreen) backend::minimiseWindow();
  } else {
    sendMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window.clientWidth, window.clientHeight));
    if (window.onScreen) backend::restoreWindow();
    if (window.alive) setActive(window, true);
    if (window.alive) presentWindow(window);
  }
}

void destroyWindow(HWND__& window) {
  if (!window.alive) return;
  // Owned windows (an open dialog) go first, as on Windows.
  for (const auto& record : windows)
    if (record->alive && record->owner == &window) destroyWindow(*record);
  if (window.visible) ShowWindow(&window, SW_HIDE);
  sendMessage(window, WM_DESTROY, 0, 0);
  sendMessage(window, WM_NCDESTROY, 0, 0);
  window.alive = false;
  if (window.onScreen) {
    window.onScreen = false;
    backend::closeWindow();
  }
}

HWND__& addWindow(std::unique_ptr<HWND__> window) {
  windows.push_back(std::move(window));
  return *windows.back();
}

void resetWindowManager() {
  classes.clear();
  windows.clear();
}

}  // namespace portable

using portable::findWindow;

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA) ||
      windowClass->lpszClassName == nullptr || windowClass->lpfnWndProc == nullptr ||
      windowClass->cbClsExtra < 0 || windowClass->cbWndExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string key = upper(windowClass->lpszClassName);
  if (classes.count(key) != 0) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  WindowClass& record = classes[key];
  record.description = *windowClass;
  record.name = windowClass->lpszClassName;
  if (windowClass->lpszMenuName != nullptr && IS_INTRESOURCE(windowClass->lpszMenuName)) {
    // Kept in the "#id" form that the resource functions read back as the id.
    record.menuName = std::to_string(reinterpret_cast<uintptr_t>(windowClass->lpszMenuName));
    record.menuName.insert(record.menuName.begin(), '#');
  } else if (windowClass->lpszMenuName != nullptr) {
    record.menuName = windowClass->lpszMenuName;
  }
  record.description.lpszClassName = record.name.c_str();
  record.description.lpszMenuName = record.menuName.empty() ? nullptr : record.menuName.c_str();
  return static_cast<ATOM>(0xC000 + classes.size());
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param) {
  if (className == nullptr || IS_INTRESOURCE(className) || classes.count(upper(className)) == 0) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  if (parent != nullptr && findWindow(parent) == nullptr) return nullptr;
  if (menu != nullptr && !portable::isMenu(menu)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const WindowClass& windowClass = classes[upper(className)];
  // A top-level window needs a screen to stand on; without one the program's failure path runs.
  const backend::Desktop desktop = portable::display().desktop;
  const bool topLevel = parent == nullptr && !(style & WS_CHILD);
  if (!desktop.available) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  auto record = std::make_unique<HWND__>();
  HWND__& window = *record;
  window.className = windowClass.name;
  window.proc = windowClass.description.lpfnWndProc;
  window.background = windowClass.description.hbrBackground;
  window.icon = windowClass.description.hIcon;
  window.title = windowName != nullptr ? windowName : "";
  window.style = style & ~static_cast<DWORD>(WS_VISIBLE);
  window.exStyle = exStyle;
  window.owner = parent;
  window.instance = instance;
  window.menu = menu;
  if (window.menu == nullptr && topLevel && windowClass.description.lpszMenuName != nullptr)
    window.menu = LoadMenuA(instance, windowClass.description.lpszMenuName);
  const RECT work = portable::workArea();
  if (x == CW_USEDEFAULT) {
    x = work.left + 26;
    y = work.top + 26;
  }
  if (width == CW_USEDEFAULT) {
    width = (work.right - work.left) * 3 / 4;
    height = (work.bottom - work.top) * 3 / 4;
  }
  window.rect = {x, y, x + width, y + height};
  windows.push_back(std::move(record));

  if (topLevel && (style & WS_THICKFRAME || hasFullFrame(style))) {
    MINMAXINFO limits = portable::defaultMinMaxInfo();
    portable::sendMessage(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    width = std::clamp<int>(width, limits.ptMinTrackSize.x,
                            std::max(limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x));
    height = std::clamp<int>(height, limits.ptMinTrackSize.y,
                             std::max(limits.ptMinTrackSize.y, limits.ptMaxTrackSize.y));
    window.rect = {x, y, x + width, y + height};
  }
  portable::fitClientPixels(window);
  window.laidOutClient = portable::clientRectOnScreen(window);
  if (topLevel && portable::screenWindow() == nullptr) {
    const POINT origin = portable::contentOrigin(window);
    const auto* iconImage = window.icon != nullptr ? window.icon->image : nullptr;
    if (!backend::openWindow(window.title.c_str(), origin.x, origin.y, window.clientWidth,
                             window.clientHeight + portable::menuHeight(window),
                             iconImage != nullptr && iconImage->size > 0 ? iconImage->pixels : nullptr,
                             iconImage != nullptr ? iconImage->size : 0)) {
      window.alive = false;
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    window.onScreen = true;
  }
  CREATESTRUCTA create = {
      param,      instance,  window.menu, parent, height, width, x, y, static_cast<LONG>(style),
      windowName, className, exStyle};
  if (portable::sendMessage(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == 0 ||
      (window.alive &&
       portable::sendMessage(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1)) {
    portable::destroyWindow(window);
    return nullptr;
  }
  if (!window.alive) return nullptr;
  portable::sendMessage(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window.clientWidth, window.clientHeight));
  const RECT client = portable::clientRectOnScreen(window);
  if (window.alive) portable::sendMessage(window, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  if (window.alive && (style & WS_VISIBLE)) ShowWindow(&window, SW_SHOW);
  return window.alive ? &window : nullptr;
}

BOOL WINAPI DestroyWindow(HWND window) {
  HWND__* record = findWindow(window);
  if (record == nullptr) return FALSE;
  portable::destroyWindow(*record);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND window) {
  for (const auto& record : windows)
    if (record.get() == window && record->alive) return TRUE;
  return FALSE;
}

BOOL WINAPI IsWindowVisible(HWND window) {
  const HWND__* record = findWindow(window);
  return record != nullptr && record->visible ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND window) {
  const HWND__* record = findWindow(window);
  return record != nullptr && record->minimised ? TRUE : FALSE;
}

HWND WINAPI GetActiveWindow() {
  for (const auto& record : windows)
    if (record->alive && record->active) return record.get();
  return nullptr;
}

HWND WINAPI GetForegroundWindow() { return GetActiveWindow(); }

BOOL WINAPI ShowWindow(HWND window, int command) {
  HWND__* record = findWindow(window);
  if (record == nullptr) return FALSE;
  const BOOL wasVisible = record->visible ? TRUE : FALSE;
  const bool activate = command != SW_SHOWNA && command != SW_SHOWNOACTIVATE && command != SW_SHOWMINNOACTIVE;
  if (command == SW_HIDE) {
    if (!record->visible) return wasVisible;
    portable::sendMessage(*record, WM_SHOWWINDOW, FALSE, 0);
    record->visible = false;
    if (record->onScreen) backend::showWindow(false);
    if (record->alive) portable::setActive(*record, false);
    return wasVisible;
  }
  if (!record->visible) {
    portable::sendMessage(*record, WM_SHOWWINDOW, TRUE, 0);
    if (!record->alive) return wasVisible;
    record->visible = true;
    if (record->onScreen) backend::showWindow(true);
    portable::presentWindow(*record);
  }
  const bool minimise =
      command == SW_MINIMIZE || command == SW_SHOWMINIMIZED || command == SW_SHOWMINNOACTIVE;
  if (minimise) {
    portable::setMinimised(*record, true);
  } else {
    portable::setMinimised(*record, false);
    if (activate && record->alive) portable::setActive(*record, true);
  }
  return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND window) {
  HWND__* record = findWindow(window);
  if (record == nullptr) return FALSE;
  if (record->visible) portable::presentWindow(*record);
  return TRUE;
}
