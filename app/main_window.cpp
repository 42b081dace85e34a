#include "app/main_window.h"

#include "app/app_flags.h"
#include "display/display_setup.h"
#include "display/labels.h"
#include "display/program_frames.h"
#include "resources/resource_ids.h"

namespace lumiscene {

bool windowVisible = false;
bool readoutOn = false;

namespace {

constexpr const char* className = "Lumiscene";
constexpr DWORD mainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;

// The fixed outer size that gives a 640 x 480 client area below the menu bar
// (a screensaver has none).
SIZE fixedWindowSize() {
  const int menuHeight = runningAsSaver ? 0 : GetSystemMetrics(SM_CYMENU);
  return SIZE{frameWidth + 2 * GetSystemMetrics(SM_CXFRAME),
              frameHeight + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + menuHeight};
}

// Shows the last composed back surface again, without computing a frame.
void repaint() {
  if (displayDevice) displayDevice->present();
}

// Set when an Alt accelerator (Alt+Enter, Alt+X) ran. The accelerator swallows
// the key that went with Alt, so the default handling believes Alt was pressed
// alone and, when Alt comes up, enters menu mode; the next key would then go to
// the menu bar instead of the program. The one SC_KEYMENU that follows is dropped.
bool altAcceleratorUsed = false;

bool isRefusedWhileFullScreen(WPARAM command) {
  // Windows keeps internal detail in the low four bits (a caption drag sends
  // SC_MOVE | 2), so only the upper twelve bits name the command.
  switch (command & 0xFFF0) {
    case SC_SIZE:
    case SC_MOVE:
    case SC_MAXIMIZE:
    case SC_MONITORPOWER:
      return true;
    default:
      return false;
  }
}

void handleKeyRelease(HWND window, WPARAM key) {
  switch (key) {
    case VK_RETURN:
    case VK_MENU:
    case VK_ESCAPE:
      break;
    case 'P':
      readoutOn = !readoutOn;
      break;
    case 'T':
      toggleFullScreen(window);
      break;
    default:
      frameDriver.insetMode ^= 1;
      break;
  }
}

}  // namespace

void resetMainWindowState() {
  windowVisible = false;
  readoutOn = false;
  altAcceleratorUsed = false;
}

bool openWebPage(const char* address) {
  const auto result =
      reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

void toggleFullScreen(HWND window) {
  windowed = !windowed;
  if (SUCCEEDED(InitDirectDraw(window, windowed))) return;
  releaseDisplayDevice();
  showErrorMessage(window, "InitDirectDraw() failed. The program will now exit. ");
  endingAfterFailure = true;
  PostMessageA(window, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      releaseDisplay();
      PostQuitMessage(endingAfterFailure ? failureExitStatus : 0);
      return 0;
    case WM_MOVE:
      if (displayDevice) {
        displayDevice->updateScreenRect();
        repaint();
      }
      return 0;
    case WM_SIZE:
      windowVisible = wParam != SIZE_MINIMIZED && wParam != SIZE_MAXHIDE;
      if (displayDevice) displayDevice->updateScreenRect();
      break;
    case WM_ACTIVATE:
      appActive = LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0;
      break;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      const SIZE size = fixedWindowSize();
      limits->ptMinTrackSize.x = limits->ptMaxTrackSize.x = size.cx;
      limits->ptMinTrackSize.y = limits->ptMaxTrackSize.y = size.cy;
      return 0;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      if (message == WM_KEYUP && !runningAsSaver) handleKeyRelease(window, wParam);
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      // Alt is up: whatever it was going to start has started.
      if (wParam == VK_MENU) altAcceleratorUsed = false;
      return result;
    }
    case WM_COMMAND:
      // A high word of 1 marks a command from the accelerator table.
      if (HIWORD(wParam) == 1 && GetKeyState(VK_MENU) < 0) altAcceleratorUsed = true;
      switch (LOWORD(wParam)) {
        case IDM_ABOUT:
          DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), window,
                          aboutDialogProcedure, 0);
          return 0;
        case IDM_EXIT:
          PostMessageA(window, WM_CLOSE, 0, 0);
          return 0;
        case IDM_TOGGLE_FULL_SCREEN:
          toggleFullScreen(window);
          return 0;
        case IDM_WEB_PAGE:
          openWebPage(webAddress.c_str());
          return 0;
        default:
          break;
      }
      break;
    case WM_SYSCOMMAND:
      if (!windowed && isRefusedWhileFullScreen(wParam)) return 1;
      // Alt released after an Alt accelerator; Alt alone and Alt+F (lParam
      // holds the letter) still open the menu.
      if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0 && altAcceleratorUsed) {
        altAcceleratorUsed = false;
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (!runningAsSaver) openWebPage(webAddress.c_str());
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

INT_PTR CALLBACK aboutDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_ABOUT_WEB_BUTTON:
          openWebPage(webAddress.c_str());
          EndDialog(dialog, IDC_ABOUT_WEB_BUTTON);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        default:
          return FALSE;
      }
    case WM_MOVE:
      // The area the dialog uncovered shows the last frame again.
      if (windowed) repaint();
      return FALSE;
    default:
      return FALSE;
  }
}

HRESULT createMainWindow(HINSTANCE instance, int showCommand, HWND& window, HACCEL& accelerators) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = mainWindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_LUMISCENE));
  windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_LUMISCENE));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_HELP);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  windowClass.lpszMenuName = runningAsSaver ? nullptr : MAKEINTRESOURCEA(IDR_MAIN_MENU);
  windowClass.lpszClassName = className;
  if (RegisterClassExA(&windowClass) == 0) return E_FAIL;

  accelerators = runningAsSaver ? nullptr : LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  const SIZE size = fixedWindowSize();
  window = CreateWindowExA(0, className, windowTitle.c_str(), mainWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                           size.cx, size.cy, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return E_FAIL;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  return S_OK;
}

}  // namespace lumiscene
