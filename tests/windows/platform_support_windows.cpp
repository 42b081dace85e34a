// The platform tests' support on real Windows (run under Wine): the same
// window, message loop and log as with the headless backend, with the user's
// input made by SendInput and the screen read back through GDI.
//
// Controls that only a test backend has (display formats, faults, another
// program's hold on the display, the opener's log) cannot be had from a real
// system; using one fails the test with a note, and tests/windows/CMakeLists.txt
// leaves the tests that need them out of the Windows run.
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include <deque>

#include "resources/resource_ids.h"

namespace platform_test {

namespace {

std::deque<int> dialogAnswers;
std::deque<int> messageBoxAnswers;
std::vector<MessageBoxRecord> boxes;
HHOOK activationHook = nullptr;
HWND otherWindow = nullptr;
DEVMODEA desktopMode{};

void needsTestBackend(const char* control) {
  ADD_FAILURE() << control << " needs the headless backend; a real system has no such control";
}


std::string textOf(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

// A message box is a dialog without the About dialog's web button.
void recordMessageBox(HWND box) {
  MessageBoxRecord record{textOf(GetDlgItem(box, 0xFFFF)), textOf(box), 0};
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[16] = {};
    GetClassNameA(child, name, sizeof(name));
    if (lstrcmpiA(name, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
        reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) == LoadIconA(nullptr, IDI_HAND))
      record.flags |= MB_ICONERROR;
  }
  if (GetDlgItem(box, IDCANCEL) != nullptr && GetDlgItem(box, IDOK) != nullptr) record.flags |= MB_OKCANCEL;
  boxes.push_back(record);
}

// Answers dialogs and message boxes as they come up, in the order the test gave.
LRESULT CALLBACK onActivation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND dialog = reinterpret_cast<HWND>(wParam);
    char name[16] = {};
    GetClassNameA(dialog, name, sizeof(name));
    if (lstrcmpA(name, "#32770") == 0 && GetPropA(dialog, "answered") == nullptr) {
      SetPropA(dialog, "answered", reinterpret_cast<HANDLE>(1));
      const bool about = GetDlgItem(dialog, IDC_ABOUT_WEB_BUTTON) != nullptr;
      if (!about) recordMessageBox(dialog);
      std::deque<int>& answers = about ? dialogAnswers : messageBoxAnswers;
      if (!answers.empty() || !about) {
        const int answer = answers.empty() ? IDOK : answers.front();
        if (!answers.empty()) answers.pop_front();
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, answer)));
      }
    }
  }
  return CallNextHookEx(activationHook, code, wParam, lParam);
}

void send(INPUT input) { SendInput(1, &input, sizeof(input)); }

void sendKey(UINT virtualKey, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(virtualKey);
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = flags;
  send(input);
}

HWND testWindow() { return FindWindowA("PlatformTest", nullptr); }

// Input goes to the window in front, as the user's would.
void bringTestWindowForward() {
  if (HWND window = testWindow(); window != nullptr && GetForegroundWindow() != window)
    SetForegroundWindow(window);
}

Picture screenPicture(const RECT& area) {
  Picture picture;
  picture.width = area.right - area.left;
  picture.height = area.bottom - area.top;
  if (picture.width <= 0 || picture.height <= 0) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, picture.width, picture.height, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  picture.pixels.assign(pixels, pixels + static_cast<size_t>(picture.width) * picture.height);
  for (uint32_t& pixel : picture.pixels) pixel &= 0xFFFFFF;
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

RECT clientOnScreen(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  POINT corner{0, 0};
  ClientToScreen(window, &corner);
  return {corner.x, corner.y, corner.x + client.right, corner.y + client.bottom};
}

}  // namespace

void resetPlatform() {
  if (desktopMode.dmSize == 0) {
    desktopMode.dmSize = sizeof(desktopMode);
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &desktopMode);
  }
  ChangeDisplaySettingsA(nullptr, 0);
  while (HWND window = testWindow()) DestroyWindow(window);
  UnregisterClassA("PlatformTest", GetModuleHandleA(nullptr));
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  if (activationHook == nullptr)
    activationHook = SetWindowsHookExA(WH_CBT, onActivation, nullptr, GetCurrentThreadId());
  clearMessageLog();
  dialogAnswers.clear();
  messageBoxAnswers.clear();
  boxes.clear();
}

void letInputArrive() { MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT); }

void pressKey(UINT virtualKey) {
  bringTestWindowForward();
  sendKey(virtualKey, 0);
}
void releaseKey(UINT virtualKey) {
  bringTestWindowForward();
  sendKey(virtualKey, KEYEVENTF_KEYUP);
}
void tapKey(UINT virtualKey) {
  pressKey(virtualKey);
  releaseKey(virtualKey);
}

void click(int x, int y, int button) {
  bringTestWindowForward();
  static const DWORD downs[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_MIDDLEDOWN};
  static const DWORD ups[] = {MOUSEEVENTF_LEFTUP, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_MIDDLEUP};
  // The move travels in the same input stream as the buttons, so each press
  // lands where it was meant even when several clicks wait in the queue.
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  send(input);
  input.mi.dwFlags = downs[button];
  send(input);
  input.mi.dwFlags = ups[button];
  send(input);
}

Picture clientPicture() {
  HWND window = testWindow();
  if (window == nullptr) return {};
  if (fullScreenShown())
    return screenPicture({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  return screenPicture(clientOnScreen(window));
}

Picture windowPicture() {
  HWND window = testWindow();
  if (window == nullptr) return {};
  RECT area = clientOnScreen(window);
  if (GetMenu(window) != nullptr) area.top -= GetSystemMetrics(SM_CYMENU);
  return screenPicture(area);
}

void setDisplayAvailable(bool available) {
  if (!available) needsTestBackend("setDisplayAvailable(false)");
}
void setDisplayFormat(int bits, uint32_t redMask, uint32_t greenMask, uint32_t blueMask) {
  if (bits != 32 || redMask != 0xFF0000 || greenMask != 0x00FF00 || blueMask != 0x0000FF)
    needsTestBackend("a display format other than the desktop's");
}
void setFullScreenModesAvailable(bool available) {
  if (!available) needsTestBackend("setFullScreenModesAvailable(false)");
}
void failCall(const char*, HRESULT, int) { needsTestBackend("failCall"); }
void loseAllSurfaces() { needsTestBackend("loseAllSurfaces"); }
void changeDisplayMode(int, uint32_t, uint32_t, uint32_t) { needsTestBackend("changeDisplayMode"); }
void setExclusiveModeHeldElsewhere(bool) { needsTestBackend("setExclusiveModeHeldElsewhere"); }

bool fullScreenShown() {
  DEVMODEA mode{};
  mode.dmSize = sizeof(mode);
  EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
  return mode.dmPelsWidth != desktopMode.dmPelsWidth || mode.dmPelsHeight != desktopMode.dmPelsHeight;
}

void setFocus(bool focused) {
  if (focused) {
    bringTestWindowForward();
    return;
  }
  // Another program's window comes to the front.
  if (otherWindow == nullptr)
    otherWindow = CreateWindowExA(0, "Static", "another program", WS_OVERLAPPEDWINDOW, 700, 500, 200, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ShowWindow(otherWindow, SW_SHOWNORMAL);
  SetForegroundWindow(otherWindow);
}

void minimise() { ShowWindow(testWindow(), SW_MINIMIZE); }
void restore() {
  ShowWindow(testWindow(), SW_RESTORE);
  bringTestWindowForward();
}

void moveWindow(int x, int y) {
  HWND window = testWindow();
  RECT outer{};
  GetWindowRect(window, &outer);
  RECT content = clientOnScreen(window);
  if (GetMenu(window) != nullptr) content.top -= GetSystemMetrics(SM_CYMENU);
  SetWindowPos(window, nullptr, x - (content.left - outer.left), y - (content.top - outer.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void requestClose() { PostMessageA(testWindow(), WM_SYSCOMMAND, SC_CLOSE, 0); }
void answerDialog(int commandId) { dialogAnswers.push_back(commandId); }
void answerMessageBox(int answer) { messageBoxAnswers.push_back(answer); }
std::vector<MessageBoxRecord> messageBoxes() { return boxes; }

std::vector<std::string> openedAddresses() {
  needsTestBackend("openedAddresses");
  return {};
}
void setOpenAddressSucceeds(bool) { needsTestBackend("setOpenAddressSucceeds"); }
// A real system never reports a wait that cannot end.
void setStallHandler(void (*)(const char*)) {}

}  // namespace platform_test
