// The two corner labels, the frame-time readout and the start-up strings.
//
// The maker's site name (bottom left) and the product label (bottom right) are
// rendered once per display set-up into surfaces of exactly the text's size,
// with black as a transparent source colour key. The readout (key P) is drawn
// over the frame at the top left and refreshed every 500 ms.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.h"

namespace lumiscene {

constexpr int pictureNumber = 8;
constexpr COLORREF labelColour = 0x0000A0FF;

// Formatted once by buildCaptions, before the window exists.
extern std::string siteName;
extern std::string webAddress;
extern std::string productLabel;
extern std::string windowTitle;

struct ReadoutState {
  std::string text;
  uint32_t lastRefreshMs = 0;
  uint32_t framesSinceRefresh = 0;
};
extern ReadoutState readout;

void buildCaptions();
HRESULT createFrameSurface();
HRESULT createLabels();
HRESULT drawLabels();
// Refreshes the readout's text when due and draws it at the frame's top left:
// into frameSurface, or into target when the frame went straight there.
HRESULT drawReadout(IDirectDrawSurface7* target = nullptr);
// Text on any surface through its device context, without restoring it first.
HRESULT drawSurfaceText(IDirectDrawSurface7* surface, HFONT font, const char* text, int x, int y,
                        COLORREF background, COLORREF textColour);

}  // namespace lumiscene
