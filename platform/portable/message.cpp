// The thread's message queue: backend events become messages only when the
// program asks for one, so that input scripted ahead stays in order with the
// modal loops (menu, dialog) that read it; posted messages, input and the quit
// message come out in Windows' order. Also the default window procedure.
#include <algorithm>
#include <deque>

#include "platform/portable/backend.h"
#include "platform/portable/kernel.h"
#include "platform/portable/lasting.h"
#include "platform/portable/window_internal.h"

namespace {

std::deque<MSG>& queue = portable::lasting<std::deque<MSG>>();
bool quitPosted = false;
int quitCode = 0;
bool keyDown[256] = {};
// Alt went down and no other key followed: its release opens the menu.
bool altAlone = false;
POINT lastPointer = {0, 0};
// A close arrived while a modal loop ran; it is posted once the last one has ended.
bool closeAfterModalLoops = false;

bool inFilter(const MSG& message, HWND window, UINT low, UINT high) {
  if (window != nullptr && message.hwnd != window) return false;
  if (low == 0 && high == 0) return true;
  return message.message >= low && message.message <= high;
}

DWORD now() { return backend::millisecondsSinceStart(); }

void post(HWND window, UINT type, WPARAM wParam, LPARAM lParam, POINT at) {
  queue.push_back({window, type, wParam, lParam, now(), at});
}

bool systemKey(uint32_t key) { return key == VK_F10 || (keyDown[VK_MENU] && !keyDown[VK_CONTROL]); }

HWND__* keyboardTarget() {
  HWND__* target = nullptr;
  if (HWND active = GetActiveWindow(); active != nullptr) target = portable::findWindow(active);
  return target != nullptr ? target : portable::screenWindow();
}

void translateKey(const backend::Event& event) {
  const uint32_t key = event.virtualKey & 0xFF;
  HWND__* target = keyboardTarget();
  if (event.kind == backend::EventKind::KeyDown) {
    const bool wasDown = keyDown[key];
    keyDown[key] = true;
    altAlone = key == VK_MENU ? (altAlone || !wasDown) : false;
    const bool system = systemKey(key);
    const LPARAM flags = 1 | (keyDown[VK_MENU] ? 1 << 29 : 0) | (wasDown || event.repeat ? 1 << 30 : 0);
    if (target != nullptr) post(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, key, flags, lastPointer);
    return;
  }
  keyDown[key] = false;
  bool system = systemKey(key);
  // Alt released on its own is a system key (it opens the menu); after another key it is a plain release.
  if (key == VK_MENU) system = altAlone;
  altAlone = false;
  const LPARAM flags = 1 | (keyDown[VK_MENU] ? 1 << 29 : 0) | 1 << 30 | static_cast<LPARAM>(1u << 31);
  if (target != nullptr) post(target, system ? WM_SYSKEYUP : WM_KEYUP, key, flags, lastPointer);
}

void translatePointer(const backend::Event& event) {
  HWND__* window = portable::screenWindow();
  lastPointer = {event.x, event.y};
  if (window == nullptr || !window->visible || window->minimised) return;
  const RECT client = portable::clientRectOnScreen(*window);
  const POINT at = {event.x, event.y};
  const bool inClient =
      at.x >= client.left && at.x < client.right && at.y >= client.top && at.y < client.bottom;
  const LPARAM position = MAKELPARAM(at.x - client.left, at.y - client.top);
  if (event.kind == backend::EventKind::PointerMove) {
    if (!inClient) return;
    // Moves coalesce, as they do on Windows.
    if (!queue.empty() && queue.back().message == WM_MOUSEMOVE && queue.back().hwnd == window)
      queue.pop_back();
    post(window, WM_MOUSEMOVE, 0, position, at);
    return;
  }
  const bool down = event.kind == backend::EventKind::ButtonDown;
  if (!inClient) {
    const POINT origin = portable::contentOrigin(*window);
    const bool inMenu = at.x >= client.left && at.x < client.right && at.y >= origin.y && at.y < client.top &&
                        window->menu != nullptr;
    if (down && event.button == 0 && inMenu)
      post(window, WM_NCLBUTTONDOWN, HTMENU, MAKELPARAM(at.x, at.y), at);
    return;
  }
  static const UINT downMessages[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  static const UINT upMessages[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
  static const WPARAM buttonFlags[3] = {MK_LBUTTON, MK_RBUTTON, MK_MBUTTON};
  const int32_t button = std::clamp(event.button, 0, 2);
  post(window, down ? downMessages[button] : upMessages[button], down ? buttonFlags[button] : 0, position,
       at);
}

void handle(const backend::Event& event) {
  using backend::EventKind;
  HWND__* window = portable::screenWindow();
  switch (event.kind) {
    case EventKind::KeyDown:
    case EventKind::KeyUp:
      translateKey(event);
      break;
    case EventKind::ButtonDown:
    case EventKind::ButtonUp:
    case EventKind::PointerMove:
      translatePointer(event);
      break;
    case EventKind::FocusGained:
    case EventKind::FocusLost:
      if (window != nullptr && !window->minimised)
        portable::setActive(*window, event.kind == EventKind::FocusGained);
      break;
    case EventKind::Minimised:
    case EventKind::Restored:
      if (window != nullptr) portable::setMinimised(*window, event.kind == EventKind::Minimised);
      break;
    case EventKind::Moved:
      if (window != nullptr) {
        const POINT origin = portable::contentOrigin(*window);
        portable::placeWindow(*window, nullptr, window->rect.left + event.x - origin.x,
                              window->rect.top + event.y - origin.y, 0, 0,
                              SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
      }
      break;
    case EventKind::CloseRequested:
      if (window == nullptr) break;
      // A close (the window manager's, or SIGTERM and SIGINT through SDL) must
      // not wait for a user to leave an open menu or dialog: it may be a
      // logout with nobody there. The modal loops end first, the close follows.
      if (window->modalDepth == 0) {
        post(window, WM_SYSCOMMAND, SC_CLOSE, 0, lastPointer);
      } else {
        closeAfterModalLoops = true;
        post(window, WM_CANCELMODE, 0, 0, lastPointer);
      }
      break;
  }
}

// Finds (converting events as needed) the first message that passes the filter.
bool findMessage(MSG& message, HWND window, UINT low, UINT high, bool remove) {
  for (;;) {
    for (auto at = queue.begin(); at != queue.end(); ++at) {
      if (!inFilter(*at, window, low, high)) continue;
      message = *at;
      if (remove) queue.erase(at);
      return true;
    }
    backend::Event event;
    if (!backend::pollEvent(event)) break;
    handle(event);
  }
  if (quitPosted && (low == 0 && high == 0 ? true : (WM_QUIT >= low && WM_QUIT <= high))) {
    message = {nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0, now(), lastPointer};
    if (remove) quitPosted = false;
    return true;
  }
  return false;
}

}  // namespace

namespace portable {

LRESULT sendMessage(HWND__& window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window.alive || window.proc == nullptr) return 0;
  return window.proc(&window, message, wParam, lParam);
}

void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  post(window, message, wParam, lParam, lastPointer);
}

bool waitForMessage(MSG& message) {
  while (!findMessage(message, nullptr, 0, 0, true)) {
    if (!backend::waitForEvent()) {
      backend::reportStall("a modal loop waited for input that can never arrive");
      return false;
    }
  }
  return true;
}

void leaveModalLoop(HWND__& window) {
  --window.modalDepth;
  if (!closeAfterModalLoops || !window.alive) return;
  if (window.modalDepth > 0) {
    post(&window, WM_CANCELMODE, 0, 0, lastPointer);
    return;
  }
  closeAfterModalLoops = false;
  post(&window, WM_SYSCOMMAND, SC_CLOSE, 0, lastPointer);
}

void resetMessages() {
  queue.clear();
  quitPosted = false;
  quitCode = 0;
  std::fill(std::begin(keyDown), std::end(keyDown), false);
  altAlone = false;
  lastPointer = {0, 0};
  closeAfterModalLoops = false;
}

}  // namespace portable

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (message == nullptr) return FALSE;
  if (window != nullptr && portable::findWindow(window) == nullptr) return FALSE;
  return findMessage(*message, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
  if (message == nullptr || (window != nullptr && portable::findWindow(window) == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  while (!findMessage(*message, window, filterMin, filterMax, true)) {
    if (!backend::waitForEvent()) {
      // Nothing can ever arrive: end the caller's loop as a quit would, after failing the test.
      backend::reportStall("GetMessageA waited for input that can never arrive");
      *message = {nullptr, WM_QUIT, 0, 0, now(), lastPointer};
      return 0;
    }
  }
  return message->message == WM_QUIT ? 0 : TRUE;
}

BOOL WINAPI WaitMessage() {
  if (!queue.empty() || quitPosted) return TRUE;
  if (backend::waitForEvent()) return TRUE;
  backend::reportStall("WaitMessage waited for input that can never arrive");
  // The caller's loop must end: a quit message is all that can still come.
  quitPosted = true;
  return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* message) {
  if (message == nullptr) return FALSE;
  const UINT type = message->message;
  if (type == WM_KEYUP || type == WM_SYSKEYUP) return TRUE;
  if (type != WM_KEYDOWN && type != WM_SYSKEYDOWN) return FALSE;
  const auto key = static_cast<uint32_t>(message->wParam);
  char character = 0;
  if (key >= 'A' && key <= 'Z') {
    character = keyDown[VK_CONTROL] ? static_cast<char>(key - 'A' + 1)
                                    : static_cast<char>(keyDown[VK_SHIFT] ? key : key - 'A' + 'a');
  } else if (key >= '0' && key <= '9') {
    character = static_cast<char>(key);
  } else if (key == VK_SPACE || key == VK_RETURN || key == VK_ESCAPE || key == VK_BACK || key == VK_TAB) {
    character = key == VK_RETURN ? '\r' : static_cast<char>(key);
  }
  if (character != 0)
    queue.push_front(
        {message->hwnd, type == WM_SYSKEYDOWN ? static_cast<UINT>(WM_SYSCHAR) : static_cast<UINT>(WM_CHAR),
         static_cast<WPARAM>(static_cast<unsigned char>(character)), message->lParam, now(), message->pt});
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  if (message == nullptr || message->hwnd == nullptr) return 0;
  HWND__* window = portable::findWindow(message->hwnd);
  return window != nullptr
             ? portable::sendMessage(*window, message->message, message->wParam, message->lParam)
             : 0;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND__* record = portable::findWindow(window);
  return record != nullptr ? portable::sendMessage(*record, message, wParam, lParam) : 0;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && portable::findWindow(window) == nullptr) return FALSE;
  portable::postMessage(window, message, wParam, lParam);
  return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
  quitPosted = true;
  quitCode = exitCode;
}

short WINAPI GetKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 255) return 0;
  return keyDown[virtualKey] ? static_cast<short>(0x8000) : 0;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND__* record = portable::findWindow(window);
  if (record == nullptr) return 0;
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_WINDOWPOSCHANGING: {
      // A window the user may size, or a plain top-level one, keeps to its tracking limits.
      auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
      if (position != nullptr && !(position->flags & SWP_NOSIZE) &&
          ((record->style & WS_THICKFRAME) || !(record->style & (WS_POPUP | WS_CHILD)))) {
        MINMAXINFO limits = portable::defaultMinMaxInfo();
        portable::sendMessage(*record, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        position->cx = std::clamp<int>(position->cx, limits.ptMinTrackSize.x,
                                       std::max(limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x));
        position->cy = std::clamp<int>(position->cy, limits.ptMinTrackSize.y,
                                       std::max(limits.ptMinTrackSize.y, limits.ptMaxTrackSize.y));
      }
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (position == nullptr) return 0;
      const RECT client = portable::clientRectOnScreen(*record);
      if (!(position->flags & SWP_NOCLIENTMOVE))
        portable::sendMessage(*record, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
      if (!(position->flags & SWP_NOCLIENTSIZE) && record->alive)
        portable::sendMessage(*record, WM_SIZE, record->minimised ? SIZE_MINIMIZED : SIZE_RESTORED,
                              MAKELPARAM(client.right - client.left, client.bottom - client.top));
      return 0;
    }
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          portable::sendMessage(*record, WM_CLOSE, 0, 0);
          break;
        case SC_MINIMIZE:
          ShowWindow(window, SW_MINIMIZE);
          break;
        case SC_RESTORE:
          ShowWindow(window, SW_RESTORE);
          break;
        case SC_KEYMENU:
          portable::runMenuLoop(*record, true, static_cast<char>(lParam), lastPointer);
          break;
        default:
          break;  // moving and sizing are the window manager's
      }
      return 0;
    case WM_NCLBUTTONDOWN:
      if (wParam == HTMENU)
        portable::runMenuLoop(*record, false, 0, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & (1 << 29))) portable::sendMessage(*record, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSKEYUP:
      if (wParam == VK_MENU || wParam == VK_F10) portable::sendMessage(*record, WM_SYSCOMMAND, SC_KEYMENU, 0);
      return 0;
    case WM_SYSCHAR:
      if (wParam != '\r' && wParam != 0x1B && wParam != ' ')
        portable::sendMessage(*record, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
      return 0;
    default:
      return 0;
  }
}
