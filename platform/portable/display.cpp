// Display mode, exclusive owner and the register of surfaces that can be lost.
#include "platform/portable/display.h"
#include "platform/portable/lasting.h"

#include <algorithm>
#include <vector>

namespace portable {

namespace {

DisplayState state;
bool described = false;
std::vector<LosableSurface*>& surfaces = lasting<std::vector<LosableSurface*>>();

PixelLayout desktopLayout(const backend::Desktop& desktop) {
  PixelLayout layout = {desktop.bitsPerPixel, desktop.redMask, desktop.greenMask, desktop.blueMask};
  return isSupportedLayout(layout) ? layout : standardLayout(desktop.bitsPerPixel);
}

void useDesktop() {
  state.width = state.desktop.width;
  state.height = state.desktop.height;
  state.layout = desktopLayout(state.desktop);
  state.desktopMode = true;
}

}  // namespace

DisplayState& display() {
  if (!described) {
    described = true;
    state.desktop = backend::describeDesktop();
    useDesktop();
  }
  return state;
}

RECT workArea() {
  const DisplayState& current = display();
  if (!current.desktopMode) return {0, 0, current.width, current.height};
  return {current.desktop.workLeft, current.desktop.workTop, current.desktop.workRight,
          current.desktop.workBottom};
}

void setDisplayMode(int32_t width, int32_t height, const PixelLayout& layout) {
  display();
  state.width = width;
  state.height = height;
  state.layout = layout;
  state.desktopMode = false;
  ++state.generation;
  loseAllSurfaces();
}

void restoreDesktopMode() {
  if (display().desktopMode) return;
  useDesktop();
  ++state.generation;
  loseAllSurfaces();
}

void desktopChanged(const backend::Desktop& desktop) {
  display();
  state.desktop = desktop;
  if (state.desktopMode) useDesktop();
  ++state.generation;
  loseAllSurfaces();
}

void describeDesktopAgain() {
  if (!described) return;
  state.desktop = backend::describeDesktop();
  if (state.desktopMode) useDesktop();
}

void trackSurface(LosableSurface* surface) { surfaces.push_back(surface); }

void untrackSurface(LosableSurface* surface) {
  surfaces.erase(std::remove(surfaces.begin(), surfaces.end(), surface), surfaces.end());
}

void loseAllSurfaces() {
  for (LosableSurface* surface : surfaces) surface->lose();
}

void resetDisplay() {
  state = DisplayState{};
  described = false;
}

}  // namespace portable
