// Fault injection and the reset of the whole headless world.
#include <deque>
#include <map>

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

std::map<std::string, std::deque<Fault>>& faults =
    portable::lasting<std::map<std::string, std::deque<Fault>>>();
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
