// What the platform tests share: a fresh platform for each test, a window made
// the way the program makes its own, a log of the messages it receives, the
// program's style of message loop, and the input and read-back the tests
// script. The tests themselves call the Windows API only; everything that
// needs the test backend goes through here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace platform_test {

// The client size the program asks for, and its window's outer size.
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;
int outerWidth();
int outerHeight();

struct Logged {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Logged>& messageLog();
// The logged messages of one kind, in order.
std::vector<Logged> logged(UINT message);
// Index of the first logged message of a kind, or -1.
int firstIndex(UINT message);

// Called for WM_COMMAND before the default handling.
extern std::function<void(WORD id, WORD source)> onCommand;

// Resets the platform (headless: a fresh 1024 x 768 x 32 desktop) and the log.
void resetPlatform();
// Empties the message log and forgets onCommand (part of every resetPlatform).
void clearMessageLog();
// Registers the test class (menu 102, fixed tracking size, quit on WM_DESTROY)
// and creates the window as the program does, not yet shown.
HWND createProgramWindow();
// The program's loop, until no message waits: accelerators first, then dispatch.
// Returns false once the quit message came (its parameter in quitCode).
bool pumpMessages(HWND window, HACCEL accelerators, int* quitCode = nullptr);
// Lets input just sent reach this thread's queue (the headless backend queues it
// at once; a real system needs a moment).
void letInputArrive();

// Scripted input; positions in screen coordinates.
void pressKey(UINT virtualKey);
void releaseKey(UINT virtualKey);
void tapKey(UINT virtualKey);
void click(int x, int y, int button = 0);

// What the client area shows, 0x00RRGGBB.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture clientPicture();
// The window's content below the window manager's frame: menu strip and client area.
Picture windowPicture();

// Fails the running test when the platform reports a wait that could never end.
void failOnStall(const char* what);

// Controls that only a test backend has: the display, faults, another
// program's hold on the display, the window manager's events, scripted answers
// and logs. Tests that use them need the headless backend.
void setDisplayAvailable(bool available);
void setDisplayFormat(int bits, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);
void setFullScreenModesAvailable(bool available);
void failCall(const char* operation, HRESULT result, int skip = 0);
void loseAllSurfaces();
void changeDisplayMode(int bits, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);
void setExclusiveModeHeldElsewhere(bool held);
bool fullScreenShown();
void setFocus(bool focused);
void minimise();
void restore();
void moveWindow(int x, int y);
void requestClose();
void answerDialog(int commandId);
void answerMessageBox(int answer);
struct MessageBoxRecord {
  std::string text;
  std::string caption;
  uint32_t flags;
};
std::vector<MessageBoxRecord> messageBoxes();
std::vector<std::string> openedAddresses();
void setOpenAddressSucceeds(bool succeeds);
void setStallHandler(void (*handler)(const char* what));

}  // namespace platform_test
