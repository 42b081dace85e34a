// The headless backend's side of the test support.
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include "platform/portable/headless/headless.h"
#include "resources/resource_ids.h"

namespace platform_test {

namespace {

std::vector<Logged> log;

LRESULT CALLBACK programLikeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  log.push_back({window, message, wParam, lParam});
  switch (message) {
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {outerWidth(), outerHeight()};
      limits->ptMaxTrackSize = {outerWidth(), outerHeight()};
      return 0;
    }
    case WM_COMMAND:
      if (onCommand) onCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

Picture pictureOf(const headless::Snapshot& snapshot) {
  return {snapshot.width, snapshot.height, snapshot.pixels};
}

}  // namespace

std::function<void(WORD, WORD)> onCommand;

int outerWidth() { return kClientWidth + 2 * GetSystemMetrics(SM_CXFRAME); }
int outerHeight() {
  return kClientHeight + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) +
         GetSystemMetrics(SM_CYMENU);
}

std::vector<Logged>& messageLog() { return log; }

std::vector<Logged> logged(UINT message) {
  std::vector<Logged> found;
  for (const Logged& entry : log)
    if (entry.message == message) found.push_back(entry);
  return found;
}

int firstIndex(UINT message) {
  for (size_t index = 0; index < log.size(); ++index)
    if (log[index].message == message) return static_cast<int>(index);
  return -1;
}

void failOnStall(const char* what) { ADD_FAILURE() << "the platform stalled: " << what; }

void resetPlatform() {
  headless::reset();
  headless::setStallHandler(failOnStall);
  log.clear();
  onCommand = nullptr;
}

HWND createProgramWindow() {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = programLikeProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(IDI_LUMISCENE));
  windowClass.hIconSm = windowClass.hIcon;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_HELP);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
  windowClass.lpszClassName = "PlatformTest";
  if (RegisterClassExA(&windowClass) == 0) return nullptr;
  return CreateWindowExA(0, "PlatformTest", "Platform test",
                         WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, CW_USEDEFAULT,
                         CW_USEDEFAULT, outerWidth(), outerHeight(), nullptr, nullptr, windowClass.hInstance,
                         nullptr);
}

bool pumpMessages(HWND window, HACCEL accelerators, int* quitCode) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (GetMessageA(&message, nullptr, 0, 0) == 0) {
      if (quitCode != nullptr) *quitCode = static_cast<int>(message.wParam);
      return false;
    }
    if (accelerators != nullptr && TranslateAcceleratorA(window, accelerators, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

void pressKey(UINT virtualKey) { headless::pressKey(virtualKey); }
void releaseKey(UINT virtualKey) { headless::releaseKey(virtualKey); }
void tapKey(UINT virtualKey) { headless::tapKey(virtualKey); }
void click(int x, int y, int button) { headless::click(x, y, button); }

void setDisplayAvailable(bool available) { headless::setDisplayAvailable(available); }
void setDisplayFormat(int bits, uint32_t redMask, uint32_t greenMask, uint32_t blueMask) {
  headless::setDisplayFormat(bits, redMask, greenMask, blueMask);
}
void setFullScreenModesAvailable(bool available) { headless::setFullScreenModesAvailable(available); }
void failCall(const char* operation, HRESULT result, int skip) {
  headless::failCall(operation, result, skip);
}
void loseAllSurfaces() { headless::loseAllSurfaces(); }
void changeDisplayMode(int bits, uint32_t redMask, uint32_t greenMask, uint32_t blueMask) {
  headless::changeDisplayMode(bits, redMask, greenMask, blueMask);
}
void setExclusiveModeHeldElsewhere(bool held) { headless::setExclusiveModeHeldElsewhere(held); }
bool fullScreenShown() { return headless::fullScreen(); }
void setFocus(bool focused) { headless::setFocus(focused); }
void minimise() { headless::minimise(); }
void restore() { headless::restore(); }
void moveWindow(int x, int y) { headless::moveWindow(x, y); }
void requestClose() { headless::requestClose(); }
void answerDialog(int commandId) { headless::answerDialog(commandId); }
void answerMessageBox(int answer) { headless::answerMessageBox(answer); }

std::vector<MessageBoxRecord> messageBoxes() {
  std::vector<MessageBoxRecord> boxes;
  for (const auto& box : headless::messageBoxes()) boxes.push_back({box.text, box.caption, box.flags});
  return boxes;
}

std::vector<std::string> openedAddresses() { return headless::openedAddresses(); }
void setOpenAddressSucceeds(bool succeeds) { headless::setOpenAddressSucceeds(succeeds); }
void setStallHandler(void (*handler)(const char* what)) { headless::setStallHandler(handler); }

Picture clientPicture() { return pictureOf(headless::clientArea()); }
Picture windowPicture() { return pictureOf(headless::windowContent()); }

}  // namespace platform_test
