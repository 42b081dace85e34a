// The narrow interface between the portable Windows subset and a backend.
//
// kernel, user, gdi and ddraw are written once on top of these hooks; a backend
// (sdl/ for the player, headless/ for tests and tools) defines every one of
// them, and the choice is made at link time. A new backend starts from this
// list. Backends only translate: window management, the menu strip, the About
// dialog and every pixel are the shared layer's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace backend {

// Performance counter: ticks per second (0 when there is none) and the current count.
int64_t counterFrequency();
int64_t counterNow();
// Milliseconds since an arbitrary origin, for timeGetTime.
uint32_t millisecondsSinceStart();
// Suspends the calling thread; the headless backend advances its virtual clock instead.
void sleepMilliseconds(uint32_t milliseconds);

// Pointer position in screen coordinates; false when it cannot be read or moved.
bool readPointer(int32_t& x, int32_t& y);
bool warpPointer(int32_t x, int32_t y);

// The desktop: whether there is one at all, its size, pixel layout and work area.
struct Desktop {
  bool available = false;
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 32;
  uint32_t redMask = 0xFF0000;
  uint32_t greenMask = 0x00FF00;
  uint32_t blueMask = 0x0000FF;
  int32_t workLeft = 0, workTop = 0, workRight = 0, workBottom = 0;
  // Whether display modes other than the desktop's can be set (full-screen).
  bool otherModes = true;
};
Desktop describeDesktop();

// The program's one top-level window. Its content is the area below the
// window manager's decorations: the menu strip (when there is one) above the
// client area. Positions are of the content's top-left corner in screen
// coordinates. openWindow fails when there is no display.
bool openWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height,
                const uint32_t* iconPixels, int32_t iconSize);
void closeWindow();
void placeWindow(int32_t x, int32_t y, int32_t width, int32_t height);
void showWindow(bool visible);
void minimiseWindow();
void restoreWindow();
// Shows a whole window content of 0x00RRGGBB pixels, whose client area starts at row clientTop.
// A backend that keeps what it was shown may swap the pixels for a buffer of
// its own: the caller then finds that buffer there, of any size and content.
void presentWindow(std::vector<uint32_t>& pixels, int32_t width, int32_t height, int32_t clientTop);
// The pixels of the last presentWindow (wherever they now are), unchanged
// until the next; null before the first.
const std::vector<uint32_t>* windowPixelsShown();
// Full-screen shows one frame of the display mode's size over the whole desktop,
// scaled up and letterboxed; leaving it brings the window back.
void setFullScreen(bool on, int32_t width, int32_t height);
// Its pixels may be swapped away as presentWindow's may.
void presentFullScreen(std::vector<uint32_t>& pixels, int32_t width, int32_t height);

// Input and window events, already in Windows terms.
enum class EventKind {
  KeyDown,
  KeyUp,
  ButtonDown,
  ButtonUp,
  PointerMove,
  FocusGained,
  FocusLost,
  Minimised,
  Restored,
  Moved,
  CloseRequested
};
struct Event {
  EventKind kind = EventKind::PointerMove;
  uint32_t virtualKey = 0;  // KeyDown, KeyUp
  bool repeat = false;      // KeyDown held down
  int32_t button = 0;       // 0 left, 1 right, 2 middle
  int32_t x = 0, y = 0;     // screen coordinates: pointer events; Moved: the content's new corner
};
bool pollEvent(Event& event);
// Sleeps until an event may be there. False when none can ever arrive (the
// headless backend without scripted input); the caller must then not wait again.
bool waitForEvent();

// A modal message box; returns the button chosen (IDOK ...).
int32_t showMessageBox(const char* text, const char* caption, uint32_t flags);
// An answer scripted for the next modal dialog (headless tests); false when the user decides.
bool scriptedDialogAnswer(int32_t& commandId);
// The system's open-file dialog titled so: the path chosen, or false when the
// user cancelled it (the SDL backend has none and always answers false).
bool chooseFileToOpen(const char* title, std::string& path);
// Starts the desktop's opener for an address without waiting; false when it could not start.
bool openAddress(const char* address);

// Fault injection: a non-zero result makes the named operation fail with that code now.
int32_t injectedFailure(const char* operation);
// Whether another program holds the display in exclusive mode.
bool exclusiveModeHeldElsewhere();
// Called when a wait could never end; the headless backend fails the running test.
void reportStall(const char* where);

}  // namespace backend
