// The window manager's own records behind the USER32 handles, and the calls
// that window, message, menu, dialog, GDI and DirectDraw code share.
//
// Handles point at these records. Records of destroyed windows and menus stay
// allocated (marked dead) until the headless backend's reset, so a stale
// handle is recognised and refused instead of being followed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/portable/pixel_layout.h"
#include "platform/portable/resource_table.h"
#include "platform/portable/user.h"

struct HMENU__ {
  struct Item {
    std::string text;
    WORD id = 0;
    bool separator = false;
  };
  struct Popup {
    std::string title;
    std::vector<Item> items;
  };
  std::vector<Popup> popups;
  bool alive = true;
};

struct HACCEL__ {
  std::vector<ACCEL> entries;
};

struct HICON__ {
  const portable::IconTemplate* image = nullptr;  // null for the stock cursors and icons
};

namespace portable {
struct DialogState;

// Where the client area's latest pixels are when a primary surface showed them
// last: in that surface's memory, read once when the window is put together,
// instead of being copied into the window's own pixels first.
struct ClientSource {
  const void* surface = nullptr;    // null: the window's own pixels are all current
  const uint8_t* pixels = nullptr;  // the area's top-left pixel in the surface's memory
  int32_t pitch = 0;
  PixelLayout layout;
  RECT area{};  // client coordinates
};
}  // namespace portable

struct HWND__ {
  std::string className;
  WNDPROC proc = nullptr;
  HBRUSH background = nullptr;
  HICON icon = nullptr;
  std::string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};           // outer rectangle, screen coordinates
  RECT laidOutClient{};  // the client rectangle as the last placement reported it
  HMENU menu = nullptr;
  HWND owner = nullptr;
  HINSTANCE instance = nullptr;
  LONG_PTR userData = 0;
  LONG_PTR messageResult = 0;  // DWLP_MSGRESULT of a dialog
  bool alive = true;
  bool visible = false;
  bool minimised = false;
  bool active = false;
  bool onScreen = false;         // the backend's window stands for this one
  int32_t modalDepth = 0;        // modal loops running on top of this window
  std::vector<uint32_t> client;  // client-area pixels, 0x00RRGGBB (behind shownFrom's area)
  portable::ClientSource shownFrom;
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  portable::DialogState* dialog = nullptr;
};

namespace portable {

struct Canvas;

// The live window behind a handle, or null (the last error is set).
HWND__* findWindow(HWND window);
// The window the backend shows, if any.
HWND__* screenWindow();
bool isMenu(HMENU menu);

// Geometry derived from style, menu and outer rectangle.
int32_t frameWidth(DWORD style, DWORD exStyle);
int32_t captionHeight(DWORD style);
int32_t menuHeight(const HWND__& window);
RECT clientRectOnScreen(const HWND__& window);
// Top-left corner of the backend window's content (menu strip and client area).
POINT contentOrigin(const HWND__& window);

// Takes a window record into the manager (dialogs, which are not made by CreateWindowExA).
HWND__& addWindow(std::unique_ptr<HWND__> window);
// What WM_GETMINMAXINFO starts from: the whole screen.
MINMAXINFO defaultMinMaxInfo();

// Moves or sizes a window the way SetWindowPos does, with its messages.
void placeWindow(HWND__& window, HWND insertAfter, int32_t x, int32_t y, int32_t width, int32_t height,
                 UINT flags);
// Show-state changes as ShowWindow and the backend's events make them.
void setMinimised(HWND__& window, bool minimised);
void setActive(HWND__& window, bool active);
void destroyWindow(HWND__& window);

// Client pixels sized to the current client area (new parts take the class background).
void fitClientPixels(HWND__& window);
// Takes the pixels a surface last showed in the client area into the window's
// own and forgets the surface: before that memory changes other than by a new
// present, goes, or the client area changes size.
void settleClientPixels(HWND__& window);
// The same for every window showing part of the surface's memory, but `except`.
void settleClientsOf(const void* surface, const HWND__* except = nullptr);
// Puts together menu strip, client pixels and any open menu or dialog and hands the result to the backend.
void presentWindow(HWND__& window);
// The same, with the client pixels decoded straight from `drawn` (a blit's
// source) instead of from where the window shows them. True when what the
// backend now shows holds the whole client area exactly as `drawn` has it
// (nothing painted over it, no bits lost), so the surface the blit went to
// may leave its copy of those pixels for later (see settleHeldPixels).
bool presentWindowFrom(HWND__& window, const ClientSource& drawn);
// A primary surface whose shown area lives only in what the backend shows
// brings its memory up to date: before that memory is read or changed, and
// before the backend is given other pixels.
void settleHeldPixels();

// Messages.
LRESULT sendMessage(HWND__& window, UINT message, WPARAM wParam, LPARAM lParam);
void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Takes the next message the way GetMessageA does (waiting); false when no
// message can ever arrive (the stall has been reported).
bool waitForMessage(MSG& message);
// Ends a modal loop that raised the window's modalDepth. A close requested
// meanwhile reaches the loops as WM_CANCELMODE, each of which must then end;
// after the last one the window receives it as SC_CLOSE.
void leaveModalLoop(HWND__& window);

// Menu strip: painting, hit-testing and the modal menu loop opened by keyboard or mouse.
void paintMenuStrip(const HWND__& window, Canvas& canvas);
// Both say whether they painted anything.
bool paintOpenMenu(const HWND__& window, Canvas& canvas);
void runMenuLoop(HWND__& window, bool byKeyboard, char mnemonic, POINT screenPoint);
// The open About dialog's panel, if any, over its owner.
bool paintDialogs(const HWND__& window, Canvas& canvas);

void resetMessages();
void resetMenus();
// Resets every window, class, menu and queue (headless reset).
void resetWindowManager();

}  // namespace portable
