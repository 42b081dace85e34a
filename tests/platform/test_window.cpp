// The part of the platform tests' support that uses the Windows API alone,
// shared by the headless build and the Windows build: the program-like window
// and the log of the messages it receives.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/platform/test_support.h"

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

void clearMessageLog() {
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
  letInputArrive();
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (GetMessageA(&message, nullptr, 0, 0) == 0) {
      if (quitCode != nullptr) *quitCode = static_cast<int>(message.wParam);
      return false;
    }
    if (accelerators != nullptr && TranslateAcceleratorA(window, accelerators, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) letInputArrive();
  }
  return true;
}

}  // namespace platform_test
