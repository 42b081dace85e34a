// The whole display for one mode: device, window style and menu, frame
// surface, pixel format and labels, built by InitDirectDraw and torn down by
// releaseDisplay. Every change of mode is a full teardown and set-up.
#pragma once

#include <memory>

#include "display/display_device.h"
#include "platform/win32.h"

namespace lumiscene {

constexpr bool startFullScreen = false;
constexpr int frameWidth = 640;
constexpr int frameHeight = 480;
constexpr int fullScreenDepth = 32;

// True while the display runs in a window, false while full-screen.
extern bool windowed;
// The windowed display fills the window as it is, the frame scaled into it
// with bars (DisplayDevice::setUpScaled), instead of sizing the window to the
// frame and giving it the player's frame and menu: for a screensaver's preview
// and its full-screen window. Set before the display is set up.
extern bool scaledToWindow;
extern std::unique_ptr<DisplayDevice> displayDevice;
extern std::unique_ptr<Surface> frameSurface;
extern std::unique_ptr<Surface> siteLabel;
extern std::unique_ptr<Surface> productLabelSurface;

// Builds the display for the flag's mode; a windowed set-up on a desktop of 8
// bits per pixel or fewer clears the flag and goes full-screen instead.
HRESULT InitDirectDraw(HWND window, bool& windowedFlag);
// Releases the labels, the frame surface and the device.
void releaseDisplay();
// Releases the device alone (failure paths).
void releaseDisplayDevice();
// Releases the display and forgets the mode and window placement, as at start-up;
// for running the program again in one process.
void resetDisplaySetup();

// Shows one of the program's error boxes: owned by the window, caption "Lumiscene", error icon.
void showErrorMessage(HWND owner, const char* text);

}  // namespace lumiscene
