// The headless desktop and window: what the layer presents is kept for
// read-back; message boxes, dialogs and the opener answer from the script.
#include <algorithm>
#include <deque>

#include "platform/portable/backend.h"
#include "platform/portable/display.h"
#include "platform/portable/headless/headless.h"
#include "platform/portable/headless/headless_internal.h"
#include "platform/portable/lasting.h"
#include "platform/portable/user.h"

namespace {

struct Screen {
  backend::Desktop desktop = [] {
    backend::Desktop desktop;
    desktop.available = true;
    desktop.width = 1024;
    desktop.height = 768;
    desktop.workRight = 1024;
    desktop.workBottom = 738;  // a task bar along the bottom
    return desktop;
  }();
  bool open = false;
  bool shown = false;
  bool minimised = false;
  bool fullScreen = false;
  int32_t x = 0, y = 0, width = 0, height = 0;
  headless::Snapshot content;
  int32_t clientTop = 0;
  headless::Snapshot frame;
  int32_t presents = 0;
  std::vector<headless::MessageBoxRecord> boxes;
  std::deque<int32_t> boxAnswers;
  std::deque<int32_t> dialogAnswers;
  std::deque<std::string> fileAnswers;
  std::vector<std::string> fileDialogs;
  std::vector<std::string> addresses;
  bool openSucceeds = true;
};

Screen& screen = portable::lasting<Screen>();

// Keeps what was presented by trading buffers with the presenter, which
// repaints its buffer whole every time: no copy and, after the first two
// presents, no allocation per frame.
void keep(headless::Snapshot& snapshot, std::vector<uint32_t>& pixels, int32_t width, int32_t height) {
  snapshot.width = width;
  snapshot.height = height;
  snapshot.pixels.swap(pixels);
  snapshot.pixels.resize(static_cast<size_t>(width) * height);
}

}  // namespace

namespace headless {

void resetScreen() { screen = Screen{}; }

void setDisplayAvailable(bool available) {
  screen.desktop.available = available;
  portable::describeDesktopAgain();
}

void setDisplayFormat(int32_t bitsPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask) {
  screen.desktop.bitsPerPixel = bitsPerPixel;
  screen.desktop.redMask = redMask;
  screen.desktop.greenMask = greenMask;
  screen.desktop.blueMask = blueMask;
  portable::describeDesktopAgain();
}

void setDesktopSize(int32_t width, int32_t height) {
  screen.desktop.width = width;
  screen.desktop.height = height;
  portable::describeDesktopAgain();
}

void setWorkArea(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  screen.desktop.workLeft = left;
  screen.desktop.workTop = top;
  screen.desktop.workRight = right;
  screen.desktop.workBottom = bottom;
  portable::describeDesktopAgain();
}

void setFullScreenModesAvailable(bool available) {
  screen.desktop.otherModes = available;
  portable::describeDesktopAgain();
}

backend::Desktop currentDesktop() { return screen.desktop; }

bool windowOpen() { return screen.open; }
bool windowShown() { return screen.open && screen.shown; }
bool windowMinimised() { return screen.minimised; }
bool fullScreen() { return screen.fullScreen; }
int32_t windowX() { return screen.x; }
int32_t windowY() { return screen.y; }
int32_t presentCount() { return screen.presents; }

Snapshot windowContent() { return screen.content; }

Snapshot clientArea() {
  if (screen.fullScreen && !screen.frame.pixels.empty()) return screen.frame;
  Snapshot client;
  if (screen.content.pixels.empty()) return client;
  client.width = screen.content.width;
  client.height = screen.content.height - screen.clientTop;
  client.pixels.assign(
      screen.content.pixels.begin() + static_cast<ptrdiff_t>(screen.clientTop) * client.width,
      screen.content.pixels.end());
  return client;
}

const std::vector<MessageBoxRecord>& messageBoxes() { return screen.boxes; }
void answerMessageBox(int32_t answer) { screen.boxAnswers.push_back(answer); }
void answerDialog(int32_t commandId) { screen.dialogAnswers.push_back(commandId); }
void answerOpenFile(const std::string& path) { screen.fileAnswers.push_back(path); }
const std::vector<std::string>& openFileDialogs() { return screen.fileDialogs; }
const std::vector<std::string>& openedAddresses() { return screen.addresses; }
void setOpenAddressSucceeds(bool succeeds) { screen.openSucceeds = succeeds; }

}  // namespace headless

namespace backend {

Desktop describeDesktop() { return screen.desktop; }

bool openWindow(const char*, int32_t x, int32_t y, int32_t width, int32_t height, const uint32_t*, int32_t) {
  if (!screen.desktop.available || screen.open) return false;
  screen.open = true;
  screen.shown = false;
  screen.minimised = false;
  screen.x = x;
  screen.y = y;
  screen.width = width;
  screen.height = height;
  return true;
}

void closeWindow() {
  screen.open = false;
  screen.shown = false;
}

void placeWindow(int32_t x, int32_t y, int32_t width, int32_t height) {
  screen.x = x;
  screen.y = y;
  screen.width = width;
  screen.height = height;
}

void showWindow(bool visible) { screen.shown = visible; }
void minimiseWindow() { screen.minimised = true; }
void restoreWindow() { screen.minimised = false; }

void presentWindow(std::vector<uint32_t>& pixels, int32_t width, int32_t height, int32_t clientTop) {
  keep(screen.content, pixels, width, height);
  screen.clientTop = clientTop;
  ++screen.presents;
}

const std::vector<uint32_t>* windowPixelsShown() {
  return screen.presents > 0 ? &screen.content.pixels : nullptr;
}

void setFullScreen(bool on, int32_t, int32_t) {
  if (screen.fullScreen != on) screen.frame = headless::Snapshot{};
  screen.fullScreen = on;
}

void presentFullScreen(std::vector<uint32_t>& pixels, int32_t width, int32_t height) {
  keep(screen.frame, pixels, width, height);
  ++screen.presents;
}

int32_t showMessageBox(const char* text, const char* caption, uint32_t flags) {
  screen.boxes.push_back({text, caption, flags});
  if (screen.boxAnswers.empty()) return IDOK;
  const int32_t answer = screen.boxAnswers.front();
  screen.boxAnswers.pop_front();
  return answer;
}

bool scriptedDialogAnswer(int32_t& commandId) {
  if (screen.dialogAnswers.empty()) return false;
  commandId = screen.dialogAnswers.front();
  screen.dialogAnswers.pop_front();
  return true;
}

bool chooseFileToOpen(const char* title, std::string& path) {
  screen.fileDialogs.emplace_back(title);
  if (screen.fileAnswers.empty()) return false;
  path = screen.fileAnswers.front();
  screen.fileAnswers.pop_front();
  return !path.empty();
}

bool openAddress(const char* address) {
  screen.addresses.emplace_back(address);
  return screen.openSucceeds;
}

}  // namespace backend
