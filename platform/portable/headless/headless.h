// Control interface of the headless backend, for tests and tools only.
//
// The headless backend has no screen. Its clock is virtual: it reads 0 after
// reset() and moves only when the program calls Sleep or a test advances it,
// so every frame of an animation is reproducible and a minute of it runs in
// moments. The pointer sits where the test puts it. Input is scripted and
// reaches the program through its message queue; the display's format, its
// faults and another program's grip on it are the test's to choose; what the
// window shows, the message boxes and the opened addresses can be read back.
// Nothing here ever waits: a wait that could never end fails the test.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace headless {

// Returns every control to its start state, and forgets every window, class,
// menu and queued message of the portable layer: clock at 0, a 1 MHz
// performance counter, the pointer at (0, 0) and readable, a 1024 x 768
// desktop of 32 bits (8-8-8) with full-screen modes, no scripted input,
// faults or answers, empty logs and an empty registry. Resources added to the
// program's resource table stay, as they would in an executable.
void reset();

uint64_t clockMicroseconds();
void setClockMicroseconds(uint64_t microseconds);
void advanceClockMicroseconds(uint64_t microseconds);
// Total milliseconds requested through Sleep since reset().
uint64_t sleptMilliseconds();

// Counter ticks per second; 0 makes QueryPerformanceFrequency fail, as on a
// machine without a performance counter.
void setCounterFrequency(int64_t ticksPerSecond);

void setPointer(int32_t x, int32_t y);
// When false, GetCursorPos fails (as it does on a secure desktop).
void setPointerReadable(bool readable);

// The display. Set these before the layer first looks at the display (the
// first window or DirectDraw object after reset()); changeDisplayMode changes
// it under a running program.
void setDisplayAvailable(bool available);
void setDisplayFormat(int32_t bitsPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);
void setDesktopSize(int32_t width, int32_t height);
void setWorkArea(int32_t left, int32_t top, int32_t right, int32_t bottom);
// Whether modes other than the desktop's can be set (full-screen).
void setFullScreenModesAvailable(bool available);

// Faults. The named call (a DirectDraw method or DirectDrawCreateEx, e.g.
// "CreateSurface") fails with the result once, after `skip` calls that succeed.
void failCall(const std::string& operation, int32_t result, int32_t skip = 0);
// Every surface's memory is taken away, as when another program takes the display.
void loseAllSurfaces();
// Another program changes the desktop's mode: surfaces are lost and windowed
// programs are told DDERR_WRONGMODE.
void changeDisplayMode(int32_t bitsPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask);
// Another program holds (or releases) exclusive mode; taking it loses every surface.
void setExclusiveModeHeldElsewhere(bool held);

// Scripted input, queued in order; virtual keys as Windows numbers them.
void pressKey(uint32_t virtualKey);
void releaseKey(uint32_t virtualKey);
void tapKey(uint32_t virtualKey);
// A button press and release at a screen position (0 left, 1 right, 2 middle).
void click(int32_t x, int32_t y, int32_t button = 0);
void movePointer(int32_t x, int32_t y);
void setFocus(bool focused);
void minimise();
void restore();
// Moves the window so that its content (menu strip and client area) starts at the screen position.
void moveWindow(int32_t x, int32_t y);
// The user closes the window with the window manager's close box.
void requestClose();
size_t pendingInput();

// Input (or anything else a test does to the world) scripted for a time on the
// virtual clock. An action runs once the clock has reached its time, when the
// program next looks for input; actions of one time run in the order they were
// scheduled. When the program waits for input and none is queued, the clock
// moves on to the next action's time and runs it, as real time would pass; only
// a wait with nothing left scheduled is a stall.
void schedule(uint64_t microseconds, std::function<void()> action);
size_t scheduledCount();

// Read-back.
struct Snapshot {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
  uint32_t at(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
bool windowOpen();
bool windowShown();
bool windowMinimised();
bool fullScreen();
// Where the window's content starts on the screen, as the backend placed it.
int32_t windowX();
int32_t windowY();
// What the client area shows: the last window content presented below the
// menu strip, or the last full-screen frame while full-screen.
Snapshot clientArea();
// The whole window content: menu strip, client area and anything drawn over them.
Snapshot windowContent();
int32_t presentCount();

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  uint32_t flags = 0;
};
const std::vector<MessageBoxRecord>& messageBoxes();
// Answers for the next message boxes, in order; without one a box answers IDOK.
void answerMessageBox(int32_t answer);
// Commands the next modal dialogs receive, in order (for the About dialog: 1004, IDOK or IDCANCEL).
void answerDialog(int32_t commandId);
// Files the next open-file dialogs choose, in order; an empty one, or none
// left, cancels the dialog.
void answerOpenFile(const std::string& path);
// The titles of the open-file dialogs shown since reset().
const std::vector<std::string>& openFileDialogs();

const std::vector<std::string>& openedAddresses();
// Whether opening an address succeeds (the default) or fails as without a browser.
void setOpenAddressSucceeds(bool succeeds);

// Called when the program waits for input that can never arrive. The default
// prints what waited and aborts, so a tool cannot hang; a test installs one
// that records a failure (the wait then ends as if the quit message arrived).
void setStallHandler(void (*handler)(const char* what));

}  // namespace headless
