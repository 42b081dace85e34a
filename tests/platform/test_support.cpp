// The headless backend's side of the test support.
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include "platform/portable/headless/headless.h"

namespace platform_test {

namespace {

Picture pictureOf(const headless::Snapshot& snapshot) {
  return {snapshot.width, snapshot.height, snapshot.pixels};
}

}  // namespace

void resetPlatform() {
  headless::reset();
  headless::setStallHandler(failOnStall);
  clearMessageLog();
}

void letInputArrive() {}

void pressKey(UINT virtualKey) { headless::pressKey(virtualKey); }
void releaseKey(UINT virtualKey) { headless::releaseKey(virtualKey); }
void tapKey(UINT virtualKey) { headless::tapKey(virtualKey); }
void click(int x, int y, int button) { headless::click(x, y, button); }

void setDisplayAvailable(bool available) { headless::setDisplayAvailable(available); }
void setDisplayFormat(int bits, uint32_t redMask, uint32_t greenMask, uint32_t blueMask) {
  headless::setDisplayFormat(bits, redMask, greenMask, blueMask);
}
void setFullScreenModesAvailable(bool available) { headless::setFullScreenModesAvailable(available); }
void failCall(const char* operation, HRESULT result, int skip) {
  headless::failCall(operation, result, skip);
}
void loseAllSurfaces() { headless::loseAllSurfaces(); }
void changeDisplayMode(int bits, uint32_t redMask, uint32_t greenMask, uint32_t blueMask) {
  headless::changeDisplayMode(bits, redMask, greenMask, blueMask);
}
void setExclusiveModeHeldElsewhere(bool held) { headless::setExclusiveModeHeldElsewhere(held); }
bool fullScreenShown() { return headless::fullScreen(); }
void setFocus(bool focused) { headless::setFocus(focused); }
void minimise() { headless::minimise(); }
void restore() { headless::restore(); }
void moveWindow(int x, int y) { headless::moveWindow(x, y); }
void requestClose() { headless::requestClose(); }
void answerDialog(int commandId) { headless::answerDialog(commandId); }
void answerMessageBox(int answer) { headless::answerMessageBox(answer); }

std::vector<MessageBoxRecord> messageBoxes() {
  std::vector<MessageBoxRecord> boxes;
  for (const auto& box : headless::messageBoxes()) boxes.push_back({box.text, box.caption, box.flags});
  return boxes;
}

std::vector<std::string> openedAddresses() { return headless::openedAddresses(); }
void setOpenAddressSucceeds(bool succeeds) { headless::setOpenAddressSucceeds(succeeds); }
void setStallHandler(void (*handler)(const char* what)) { headless::setStallHandler(handler); }

Picture clientPicture() { return pictureOf(headless::clientArea()); }
Picture windowPicture() { return pictureOf(headless::windowContent()); }

}  // namespace platform_test
