// The main window: its class, creation, window procedure, the About dialog and
// the commands (keys, clicks, menu) that switch the composition, toggle
// full-screen and the readout, and open the product's web page.
#pragma once

#include "platform/win32.h"

namespace lumiscene {

// Set on WM_SIZE: false while minimised or hidden, when no frames are computed.
extern bool windowVisible;
// Toggled by key P: the frame-time readout is drawn over the frame.
extern bool readoutOn;

HRESULT createMainWindow(HINSTANCE instance, int showCommand, HWND& window, HACCEL& accelerators);
// A screensaver's window: the main window's class and procedure with the style,
// place (in the parent's client coordinates for a child) and parent the saver needs.
HRESULT createSaverWindow(HINSTANCE instance, DWORD style, DWORD extendedStyle, const RECT& place, HWND parent,
                          HWND& window);
LRESULT CALLBACK mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void toggleFullScreen(HWND window);
// Puts the window's flags back as at start-up (the window itself belongs to the platform layer).
void resetMainWindowState();
bool openWebPage(const char* address);

}  // namespace lumiscene
