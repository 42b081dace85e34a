// Keyboard, pointer, menu, accelerators, the About dialog, message boxes and
// the shell, as the program's window procedure sees them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "resources/resource_ids.h"
#include "tests/platform/test_support.h"

using namespace platform_test;

namespace {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetPlatform();
    window = createProgramWindow();
    ASSERT_NE(window, nullptr);
    accelerators = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(accelerators, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    onCommand = [this](WORD id, WORD source) { commands.push_back({id, source}); };
    messageLog().clear();
  }

  // The keys the window procedure saw, as "message:key" in order.
  std::string keys() const {
    std::string seen;
    for (const Logged& entry : messageLog()) {
      const char* name = entry.message == WM_KEYDOWN      ? "down"
                         : entry.message == WM_KEYUP      ? "up"
                         : entry.message == WM_SYSKEYDOWN ? "sysdown"
                         : entry.message == WM_SYSKEYUP   ? "sysup"
                                                          : nullptr;
      if (name != nullptr) seen += std::string(name) + ":" + std::to_string(entry.wParam) + " ";
    }
    return seen;
  }

  POINT clientPoint(int x, int y) const {
    POINT point = {x, y};
    ClientToScreen(window, &point);
    return point;
  }

  HWND window = nullptr;
  HACCEL accelerators = nullptr;
  std::vector<std::pair<WORD, WORD>> commands;
};

TEST_F(InputTest, EscapeIsAnAcceleratorAndOnlyItsReleaseArrives) {
  tapKey(VK_ESCAPE);
  pumpMessages(window, accelerators);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], std::make_pair(WORD{IDM_EXIT}, WORD{1}));
  EXPECT_EQ(keys(), "up:27 ");
}

TEST_F(InputTest, AltEnterAndAltXAreAcceleratorsWithSystemKeyReleases) {
  pressKey(VK_MENU);
  tapKey(VK_RETURN);
  releaseKey(VK_MENU);
  pumpMessages(window, accelerators);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], std::make_pair(WORD{IDM_TOGGLE_FULL_SCREEN}, WORD{1}));
  // Enter is released while Alt is down; Alt, used with another key, comes up as a plain release.
  EXPECT_EQ(keys(), "sysdown:18 sysup:13 up:18 ");

  messageLog().clear();
  commands.clear();
  pressKey(VK_MENU);
  pressKey('X');
  releaseKey(VK_MENU);
  releaseKey('X');
  pumpMessages(window, accelerators);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].first, IDM_EXIT);
  EXPECT_EQ(keys(), "sysdown:18 up:18 up:88 ");
}

TEST_F(InputTest, KeysArriveAsVirtualKeyCodes) {
  for (UINT key : {UINT('P'), UINT('T'), UINT(VK_SHIFT), UINT(VK_CONTROL), UINT(VK_F5), UINT(VK_SPACE)})
    tapKey(key);
  pumpMessages(window, accelerators);
  EXPECT_EQ(keys(), "down:80 up:80 down:84 up:84 down:16 up:16 down:17 up:17 down:116 up:116 down:32 up:32 ");
  EXPECT_TRUE(commands.empty());
  EXPECT_EQ(GetKeyState('P'), 0);
}

TEST_F(InputTest, AltOnItsOwnOpensTheMenuAndTheKeyboardChoosesAnItem) {
  tapKey(VK_MENU);
  tapKey(VK_DOWN);
  tapKey(VK_DOWN);
  tapKey(VK_RETURN);
  pumpMessages(window, accelerators);
  // The drop-down opens on its first item; two steps down is the full-screen toggle.
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], std::make_pair(WORD{IDM_TOGGLE_FULL_SCREEN}, WORD{0}));

  commands.clear();
  tapKey(VK_F10);
  tapKey('X');
  pumpMessages(window, accelerators);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].first, IDM_EXIT);

  commands.clear();
  tapKey(VK_MENU);
  tapKey(VK_ESCAPE);
  pumpMessages(window, accelerators);
  EXPECT_TRUE(commands.empty());
}

TEST_F(InputTest, TheMenuStripIsDrawnAndWorksWithTheMouse) {
  const int strip = GetSystemMetrics(SM_CYMENU);
  const Picture closed = windowPicture();
  ASSERT_EQ(closed.height, kClientHeight + strip);
  // "File" is drawn on the strip: it has both the strip's colour and darker text pixels.
  bool text = false;
  for (int x = 0; x < 48; ++x)
    for (int y = 0; y < strip; ++y) text = text || closed.at(x, y) != closed.at(200, strip / 2);
  EXPECT_TRUE(text);

  const POINT file = clientPoint(10, -strip / 2);
  click(file.x, file.y);
  // Items: separator (9), About (20), separators (2 x 9), the web page at 2 + 9 + 20 + 18 from the
  // drop-down's top.
  const POINT web = clientPoint(40, 2 + 9 + 20 + 18 + 10);
  click(web.x, web.y);
  pumpMessages(window, accelerators);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], std::make_pair(WORD{IDM_WEB_PAGE}, WORD{0}));
  EXPECT_TRUE(logged(WM_LBUTTONDOWN).empty()) << "clicks on the menu do not reach the client area";
}

TEST_F(InputTest, ClicksInTheClientAreaArriveInClientCoordinates) {
  const POINT left = clientPoint(10, 20), right = clientPoint(630, 470);
  click(left.x, left.y, 0);
  click(right.x, right.y, 1);
  pumpMessages(window, accelerators);
  ASSERT_EQ(logged(WM_LBUTTONDOWN).size(), 1u);
  ASSERT_EQ(logged(WM_RBUTTONDOWN).size(), 1u);
  EXPECT_EQ(GET_X_LPARAM(logged(WM_LBUTTONDOWN)[0].lParam), 10);
  EXPECT_EQ(GET_Y_LPARAM(logged(WM_LBUTTONDOWN)[0].lParam), 20);
  EXPECT_EQ(GET_X_LPARAM(logged(WM_RBUTTONDOWN)[0].lParam), 630);
  POINT pointer;
  ASSERT_TRUE(GetCursorPos(&pointer));
  EXPECT_EQ(pointer.x, right.x);
  ASSERT_TRUE(SetCursorPos(580, 460));
  ASSERT_TRUE(GetCursorPos(&pointer));
  EXPECT_EQ(pointer.y, 460);
}

TEST_F(InputTest, WindowManagerEventsBecomeActivationSizeAndMove) {
  setFocus(false);
  minimise();
  restore();
  moveWindow(300, 200);
  pumpMessages(window, accelerators);
  const auto activations = logged(WM_ACTIVATE);
  ASSERT_GE(activations.size(), 2u);
  EXPECT_EQ(LOWORD(activations.front().wParam), WA_INACTIVE);
  EXPECT_EQ(LOWORD(activations.back().wParam), WA_ACTIVE);
  const auto sizes = logged(WM_SIZE);
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_EQ(sizes[0].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
  EXPECT_EQ(sizes[1].wParam, static_cast<WPARAM>(SIZE_RESTORED));
  ASSERT_EQ(logged(WM_MOVE).size(), 1u);
  const POINT client = clientPoint(0, 0);
  EXPECT_EQ(client.x, 300);
  EXPECT_EQ(client.y, 200 + GetSystemMetrics(SM_CYMENU));
}

struct DialogRecord {
  std::vector<UINT> messages;
  std::vector<WORD> commands;
} dialogRecord;

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  dialogRecord.messages.push_back(message);
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND) {
    dialogRecord.commands.push_back(LOWORD(wParam));
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

TEST_F(InputTest, TheAboutDialogIsModalAndDeliversItsCommands) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  dialogRecord = {};
  answerDialog(IDC_ABOUT_WEB_BUTTON);
  EXPECT_EQ(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), window, aboutProc, 0),
            IDC_ABOUT_WEB_BUTTON);
  const auto& seen = dialogRecord.messages;
  const auto init = std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_INITDIALOG));
  ASSERT_NE(init, seen.end());
  EXPECT_NE(std::find(init, seen.end(), static_cast<UINT>(WM_COMMAND)), seen.end());
  EXPECT_EQ(dialogRecord.commands, std::vector<WORD>{IDC_ABOUT_WEB_BUTTON});

  // Enter presses the default button, Esc cancels.
  dialogRecord = {};
  tapKey(VK_RETURN);
  EXPECT_EQ(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), window, aboutProc, 0),
            IDC_ABOUT_WEB_BUTTON);
  tapKey(VK_ESCAPE);
  EXPECT_EQ(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), window, aboutProc, 0), IDCANCEL);
  answerDialog(IDOK);
  EXPECT_EQ(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), window, aboutProc, 0), IDOK);
  EXPECT_EQ(DialogBoxParamA(instance, MAKEINTRESOURCEA(999), window, aboutProc, 0), -1);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_FALSE(EndDialog(window, 1)) << "only a dialog can be ended";
}

TEST_F(InputTest, TheAboutDialogIsDrawnOverTheClientArea) {
  static Picture during;
  during = {};
  const Picture before = clientPicture();
  answerDialog(IDCANCEL);
  DialogBoxParamA(
      GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), window,
      [](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND) {
          during = clientPicture();
          EndDialog(dialog, LOWORD(wParam));
        }
        return message == WM_INITDIALOG || message == WM_COMMAND;
      },
      0);
  ASSERT_EQ(during.width, kClientWidth);
  EXPECT_NE(during.at(kClientWidth / 2, kClientHeight / 2), before.at(kClientWidth / 2, kClientHeight / 2));
  EXPECT_EQ(clientPicture().pixels, before.pixels) << "the panel goes with the dialog";
}

TEST_F(InputTest, MessageBoxesAreModalAndRecorded) {
  EXPECT_EQ(MessageBoxA(window, "Displaying the next frame failed. ", "Lumiscene", MB_ICONERROR), IDOK);
  answerMessageBox(IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "second", "Lumiscene", MB_OKCANCEL), IDCANCEL);
  const auto boxes = messageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Displaying the next frame failed. ");
  EXPECT_EQ(boxes[0].caption, "Lumiscene");
  EXPECT_EQ(boxes[0].flags, static_cast<uint32_t>(MB_ICONERROR));
  EXPECT_EQ(MessageBoxA(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x999)), "x", "y", MB_OK), 0);
}

TEST_F(InputTest, ShellOpenStartsTheOpenerAndReportsFailure) {
  const auto result = [](HINSTANCE value) { return reinterpret_cast<INT_PTR>(value); };
  EXPECT_GT(result(ShellExecuteA(nullptr, "open", "https://example.org/", nullptr, nullptr, SW_SHOWNORMAL)),
            32);
  ASSERT_EQ(openedAddresses().size(), 1u);
  EXPECT_EQ(openedAddresses()[0], "https://example.org/");
  setOpenAddressSucceeds(false);
  EXPECT_LE(result(ShellExecuteA(nullptr, "open", "https://example.org/", nullptr, nullptr, SW_SHOWNORMAL)),
            32);
  EXPECT_LE(result(ShellExecuteA(nullptr, "print", "https://example.org/", nullptr, nullptr, SW_SHOWNORMAL)),
            32);
  EXPECT_LE(result(ShellExecuteA(nullptr, "open", nullptr, nullptr, nullptr, SW_SHOWNORMAL)), 32);
}

}  // namespace
