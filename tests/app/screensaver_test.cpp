// lumiscene.scr on the headless backend: its command line, what ends the
// full-screen saver (and what must not), the display left as it was, the
// fallback to a window over the screen, and the settings dialog.
#include <gtest/gtest.h>

#include <string>

#include "app/app_flags.h"
#include "app/main_loop.h"
#include "app/saver.h"
#include "app/saver_arguments.h"
#include "app/startup.h"
#include "display/display_setup.h"
#include "display/program_frames.h"
#include "platform/portable/headless/headless.h"
#include "platform/win32.h"

namespace lumiscene {
namespace {

TEST(SaverArguments, EveryFormOfSStartsTheFullScreenSaver) {
  for (const char* line : {"/s", "-s", "/S", "-S", "/s:1234", "/saver", "  /s  ", "/s /p 12", "-Screen"}) {
    const SaverArguments arguments = parseSaverArguments(line);
    EXPECT_EQ(arguments.mode, SaverMode::fullScreen) << line;
  }
}

TEST(SaverArguments, PreviewTakesItsWindowAfterAColonOrASpace) {
  struct Case {
    const char* line;
    uintptr_t window;
  };
  for (const Case& c : {Case{"/p 1234", 1234}, Case{"/p:1234", 1234}, Case{"-P 66", 66},
                        Case{"/P:4294967296", 4294967296u}, Case{"/p\t77", 77}}) {
    const SaverArguments arguments = parseSaverArguments(c.line);
    EXPECT_EQ(arguments.mode, SaverMode::preview) << c.line;
    EXPECT_EQ(arguments.window, c.window) << c.line;
  }
}

TEST(SaverArguments, SettingsComeWithOrWithoutAnOwner) {
  struct Case {
    const char* line;
    uintptr_t window;
  };
  for (const Case& c : {Case{"", 0}, Case{"   ", 0}, Case{"/c", 0}, Case{"/C", 0}, Case{"-c", 0},
                        Case{"/c:", 0}, Case{"/c:5678", 5678}, Case{"/C 5678", 5678}}) {
    const SaverArguments arguments = parseSaverArguments(c.line);
    EXPECT_EQ(arguments.mode, SaverMode::settings) << "'" << c.line << "'";
    EXPECT_EQ(arguments.window, c.window) << c.line;
  }
  EXPECT_EQ(parseSaverArguments(nullptr).mode, SaverMode::settings);
}

TEST(SaverArguments, AnythingElseIsUnknownAndNamedAsGiven) {
  struct Case {
    const char* line;
    const char* named;
  };
  for (const Case& c :
       {Case{"/x", "/x"}, Case{"s", "s"}, Case{"/", "/"}, Case{"-", "-"}, Case{"/a 1234", "/a"},
        Case{"/p", "/p"}, Case{"/p:", "/p:"}, Case{"/p abc", "/p abc"}, Case{"/p:12x", "/p:12x"},
        Case{"/p -5", "/p -5"}, Case{"/p 0", "/p 0"}, Case{"/cq", "/cq"},
        Case{"/p 99999999999999999999999", "/p 99999999999999999999999"},
        Case{"/p 18446744073709551616", "/p 18446744073709551616"}, Case{"hello /s", "hello"}}) {
    const SaverArguments arguments = parseSaverArguments(c.line);
    EXPECT_EQ(arguments.mode, SaverMode::unknown) << c.line;
    EXPECT_EQ(arguments.argument, c.named) << c.line;
    EXPECT_EQ(arguments.window, 0u) << c.line;
  }
}

void failOnStall(const char* what) {
  ADD_FAILURE() << "the saver waited for input that cannot come: " << what;
}

class ScreensaverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::reset();
    headless::setStallHandler(failOnStall);
    resetProgram();
  }
  void TearDown() override {
    releaseDisplay();
    resetProgram();
  }

  bool start() { return startFullScreenSaver(GetModuleHandleA(nullptr), window, watch); }
  void step() {
    if (running) running = messageLoopStep(window, nullptr, exitCode, &watch);
  }
  void steps(int count) {
    for (int i = 0; i < count && running; ++i) step();
  }
  // Where the saver counts pointer moves from.
  static POINT pointer() {
    POINT at{0, 0};
    GetCursorPos(&at);
    return at;
  }

  HWND window = nullptr;
  SaverWatch watch;
  bool running = true;
  int exitCode = -1;
};

TEST_F(ScreensaverTest, RunsInThePlayersFullScreenModeWithoutMenuOrMessages) {
  ASSERT_TRUE(start());
  steps(30);
  EXPECT_TRUE(running);
  EXPECT_TRUE(headless::fullScreen());
  EXPECT_FALSE(windowed);
  EXPECT_EQ(GetMenu(window), nullptr);
  EXPECT_GT(headless::presentCount(), 10);
  EXPECT_TRUE(headless::messageBoxes().empty());
}

TEST_F(ScreensaverTest, AMoveOfAFewPixelsEndsItAndJitterDoesNot) {
  ASSERT_TRUE(start());
  const POINT start = pointer();
  steps(5);
  // The full-screen set-up's own move lands where the count starts.
  headless::movePointer(start.x, start.y);
  steps(5);
  headless::movePointer(start.x + 4, start.y - 4);
  steps(5);
  headless::movePointer(start.x - 3, start.y + 2);
  steps(10);
  ASSERT_TRUE(running) << "jitter of 4 pixels or fewer ended the saver";
  headless::movePointer(start.x, start.y + 5);
  steps(10);
  EXPECT_FALSE(running);
  EXPECT_EQ(exitCode, 0);
  EXPECT_FALSE(headless::windowOpen());
  EXPECT_FALSE(headless::fullScreen());
  EXPECT_TRUE(headless::messageBoxes().empty());
}

TEST_F(ScreensaverTest, PointerMovesFromBeforeTheSetUpDoNotEndIt) {
  // Reported while the saver starts, from where the pointer stood before the
  // full-screen set-up moved it.
  headless::movePointer(300, 200);
  ASSERT_TRUE(start());
  steps(20);
  EXPECT_TRUE(running);
}

TEST_F(ScreensaverTest, AKeyOrAButtonEndsIt) {
  const std::function<void()> inputs[] = {
      [] { headless::tapKey('A'); },       [] { headless::tapKey(VK_SHIFT); },
      [] { headless::tapKey(VK_ESCAPE); }, [] { headless::pressKey(VK_MENU); },
      [] { headless::click(580, 460); },   [] { headless::click(10, 10, 1); },
      [] { headless::click(10, 10, 2); },
  };
  for (size_t index = 0; index < std::size(inputs); ++index) {
    SCOPED_TRACE(index);
    headless::reset();
    headless::setStallHandler(failOnStall);
    resetProgram();
    running = true;
    exitCode = -1;
    watch = SaverWatch{};
    ASSERT_TRUE(start());
    steps(5);
    inputs[index]();
    steps(10);
    EXPECT_FALSE(running);
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(headless::fullScreen());
  }
}

TEST_F(ScreensaverTest, EndingBeforeItsFirstFrameLeavesTheDesktopModeAsItWas) {
  headless::setDesktopSize(1280, 1024);
  ASSERT_TRUE(start());
  ASSERT_TRUE(headless::fullScreen());
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  headless::tapKey(VK_SPACE);
  steps(10);
  EXPECT_FALSE(running);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(frameDriver.frameImage, nullptr) << "a frame was drawn before the key was seen";
  EXPECT_FALSE(headless::fullScreen());
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  EXPECT_EQ(displayDevice, nullptr);
}

TEST_F(ScreensaverTest, WithoutTheModeItScalesTheFrameIntoAWindowOverTheScreen) {
  headless::setFullScreenModesAvailable(false);
  headless::setDesktopSize(1280, 1024);
  ASSERT_TRUE(start());
  EXPECT_TRUE(headless::messageBoxes().empty()) << headless::messageBoxes()[0].text;
  EXPECT_FALSE(headless::fullScreen());
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, 0);
  EXPECT_EQ(outer.top, 0);
  EXPECT_EQ(outer.right, 1280);
  EXPECT_EQ(outer.bottom, 1024);
  steps(20);
  ASSERT_NE(frameDriver.frameImage, nullptr);
  const headless::Snapshot screen = headless::clientArea();
  ASSERT_EQ(screen.width, 1280);
  ASSERT_EQ(screen.height, 1024);
  // 1280 x 960 for the frame, 32 black rows above and below it.
  for (int32_t x : {0, 640, 1279}) {
    EXPECT_EQ(screen.at(x, 0), 0u);
    EXPECT_EQ(screen.at(x, 31), 0u);
    EXPECT_EQ(screen.at(x, 992), 0u);
    EXPECT_EQ(screen.at(x, 1023), 0u);
  }
  int lit = 0;
  for (int32_t y = 32; y < 992; y += 40)
    for (int32_t x = 0; x < 1280; x += 40) lit += screen.at(x, y) != 0 ? 1 : 0;
  EXPECT_GT(lit, 700);
  headless::movePointer(pointer().x + 20, pointer().y);
  steps(10);
  EXPECT_FALSE(running);
  EXPECT_EQ(exitCode, 0);
}

TEST(SaverSettings, OkEndsTheDialogWithStatusZero) {
  headless::reset();
  resetProgram();
  headless::answerDialog(IDOK);
  EXPECT_EQ(runScreenSaver(GetModuleHandleA(nullptr), "/c"), 0);
  headless::answerDialog(IDOK);
  EXPECT_EQ(runScreenSaver(GetModuleHandleA(nullptr), ""), 0);
  // A window number that names no window: the dialog still comes.
  headless::answerDialog(IDCANCEL);
  EXPECT_EQ(runScreenSaver(GetModuleHandleA(nullptr), "/c:424242"), 0);
  EXPECT_TRUE(headless::messageBoxes().empty());
  resetProgram();
}

TEST(SaverSettings, AnUnknownArgumentIsNamedInAnErrorBox) {
  headless::reset();
  resetProgram();
  EXPECT_EQ(runScreenSaver(GetModuleHandleA(nullptr), "/q:7"), failureExitStatus);
  ASSERT_EQ(headless::messageBoxes().size(), 1u);
  EXPECT_NE(headless::messageBoxes()[0].text.find("\"/q:7\""), std::string::npos)
      << headless::messageBoxes()[0].text;
  EXPECT_EQ(headless::messageBoxes()[0].caption, "Lumiscene");
  EXPECT_EQ(headless::messageBoxes()[0].flags & MB_ICONERROR, static_cast<uint32_t>(MB_ICONERROR));
  resetProgram();
}

LRESULT CALLBACK parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// The settings page's window stands in as a plain window of this test.
HWND makeSettingsPage(int32_t width, int32_t height) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = parentProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "SettingsPage";
  RegisterClassExA(&windowClass);
  HWND page = CreateWindowExA(0, "SettingsPage", "Settings", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ShowWindow(page, SW_SHOWNORMAL);
  return page;
}

TEST_F(ScreensaverTest, ThePreviewIsAChildScaledToItsParentAndEndsWithIt) {
  HWND page = makeSettingsPage(400, 240);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(startPreviewSaver(GetModuleHandleA(nullptr), page, window, watch));
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_CHILD, WS_CHILD);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 400);
  EXPECT_EQ(client.bottom, 240);
  steps(20);
  ASSERT_TRUE(running);
  EXPECT_FALSE(headless::fullScreen());
  // The frame is drawn into the child through the scaled display, the one the
  // full-screen window uses (checked there: the headless screen shows top-level
  // windows only).
  ASSERT_NE(frameDriver.frameImage, nullptr);
  ASSERT_NE(displayDevice, nullptr);
  EXPECT_EQ(displayDevice->scaledFrame.cx, frameWidth);
  RECT frame = displayDevice->screenRect;
  EXPECT_EQ(frame.right - frame.left, 320);
  EXPECT_EQ(frame.bottom - frame.top, 240);
  // Input is the settings page's business, not the preview's.
  headless::tapKey('A');
  headless::click(200, 120);
  steps(10);
  EXPECT_TRUE(running);
  DestroyWindow(page);
  steps(10);
  EXPECT_FALSE(running);
  EXPECT_EQ(exitCode, 0);
}

}  // namespace
}  // namespace lumiscene
