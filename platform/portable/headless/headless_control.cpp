// Fault injection and the reset of the whole headless world.
#include <deque>
#include <functional>
#include <map>

#include "platform/portable/advapi.h"
#include "platform/portable/backend.h"
#include "platform/portable/display.h"
#include "platform/portable/headless/headless.h"
#include "platform/portable/headless/headless_internal.h"
#include "platform/portable/lasting.h"
#include "platform/portable/window_internal.h"

namespace {

struct Fault {
  int32_t skip;
  int32_t result;
};

// Looked up by the operation's name on every DirectDraw call, several a frame:
// the transparent comparison finds a name without building a string for it.
using Faults = std::map<std::string, std::deque<Fault>, std::less<>>;
Faults& faults = portable::lasting<Faults>();
bool heldElsewhere = false;

}  // namespace

namespace headless {

void resetFaults() {
  faults.clear();
  heldElsewhere = false;
}

void reset() {
  resetClockAndPointer();
  resetScreen();
  resetInput();
  resetFaults();
  portable::resetMessages();
  portable::resetMenus();
  portable::resetWindowManager();
  portable::resetDisplay();
  portable::resetRegistry();
}

void failCall(const std::string& operation, int32_t result, int32_t skip) {
  faults[operation].push_back({skip, result});
}

void loseAllSurfaces() { portable::loseAllSurfaces(); }

void changeDisplayMode(int32_t bitsPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask) {
  setDisplayFormat(bitsPerPixel, redMask, greenMask, blueMask);
  portable::desktopChanged(currentDesktop());
}

void setExclusiveModeHeldElsewhere(bool held) {
  if (held && !heldElsewhere) portable::loseAllSurfaces();
  heldElsewhere = held;
}

}  // namespace headless

namespace backend {

int32_t injectedFailure(const char* operation) {
  auto found = faults.find(operation);
  if (found == faults.end() || found->second.empty()) return 0;
  Fault& next = found->second.front();
  if (next.skip > 0) {
    --next.skip;
    return 0;
  }
  const int32_t result = next.result;
  found->second.pop_front();
  return result;
}

bool exclusiveModeHeldElsewhere() { return heldElsewhere; }

}  // namespace backend
