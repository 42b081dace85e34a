// Scripted input of the headless backend: a queue of events that the portable
// layer takes as the program asks for messages. Waiting on an empty queue can
// never end, so it reports a stall instead of blocking.
#include <cstdio>
#include <cstdlib>
#include <deque>

#include "platform/portable/backend.h"
#include "platform/portable/headless/headless.h"
#include "platform/portable/headless/headless_internal.h"
#include "platform/portable/lasting.h"

namespace {

std::deque<backend::Event>& events = portable::lasting<std::deque<backend::Event>>();

void abortOnStall(const char* what) {
  std::fprintf(stderr, "headless backend: %s; the program would wait forever.\n", what);
  std::abort();
}

void (*stallHandler)(const char*) = abortOnStall;

void queue(backend::EventKind kind, uint32_t key = 0, int32_t x = 0, int32_t y = 0, int32_t button = 0) {
  backend::Event event;
  event.kind = kind;
  event.virtualKey = key;
  event.x = x;
  event.y = y;
  event.button = button;
  events.push_back(event);
}

}  // namespace

namespace headless {

void resetInput() {
  events.clear();
  stallHandler = abortOnStall;
}

void pressKey(uint32_t virtualKey) { queue(backend::EventKind::KeyDown, virtualKey); }
void releaseKey(uint32_t virtualKey) { queue(backend::EventKind::KeyUp, virtualKey); }

void tapKey(uint32_t virtualKey) {
  pressKey(virtualKey);
  releaseKey(virtualKey);
}

void click(int32_t x, int32_t y, int32_t button) {
  setPointer(x, y);
  queue(backend::EventKind::ButtonDown, 0, x, y, button);
  queue(backend::EventKind::ButtonUp, 0, x, y, button);
}

void movePointer(int32_t x, int32_t y) {
  setPointer(x, y);
  queue(backend::EventKind::PointerMove, 0, x, y);
}

void setFocus(bool focused) {
  queue(focused ? backend::EventKind::FocusGained : backend::EventKind::FocusLost);
}
void minimise() { queue(backend::EventKind::Minimised); }
void restore() { queue(backend::EventKind::Restored); }
void moveWindow(int32_t x, int32_t y) { queue(backend::EventKind::Moved, 0, x, y); }
void requestClose() { queue(backend::EventKind::CloseRequested); }
size_t pendingInput() { return events.size(); }

void setStallHandler(void (*handler)(const char* what)) {
  stallHandler = handler != nullptr ? handler : abortOnStall;
}

}  // namespace headless

namespace backend {

bool pollEvent(Event& event) {
  if (events.empty()) return false;
  event = events.front();
  events.pop_front();
  return true;
}

bool waitForEvent() { return !events.empty(); }

void reportStall(const char* where) { stallHandler(where); }

}  // namespace backend
