// The whole program on the headless backend: start-up, keys, clicks, menu,
// modes and the display's troubles, driven through the real message loop.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/app_flags.h"
#include "app/clock.h"
#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "display/display_depth.h"
#include "display/display_setup.h"
#include "display/labels.h"
#include "display/program_frames.h"
#include "pictures/embedded_pictures.h"
#include "platform/portable/headless/headless.h"
#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "scene/image.h"

namespace lumiscene {
namespace {

constexpr uint32_t orange = 0x00FFA000;

void failOnStall(const char* what) {
  ADD_FAILURE() << "the program waited for input that cannot come: " << what;
}

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::reset();
    headless::setStallHandler(failOnStall);
    resetProgram();
  }
  void TearDown() override { releaseDisplay(); }

  bool start() { return startUp(GetModuleHandleA(nullptr), SW_SHOWNORMAL, window, accelerators); }
  static uint64_t nowMs() { return headless::clockMicroseconds() / 1000; }

  void step() {
    if (running) running = messageLoopStep(window, accelerators, exitCode);
  }
  // Steps the loop until the virtual clock reaches ms or the program ends.
  void runUntil(uint64_t ms) {
    for (int guard = 0; running && nowMs() < ms; ++guard) {
      ASSERT_LT(guard, 100000) << "the clock stopped at " << nowMs();
      step();
    }
  }
  // Handles every waiting message, drawing no frame.
  void settle() {
    MSG message;
    for (int guard = 0;
         running && (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) || headless::pendingInput());
         ++guard) {
      ASSERT_LT(guard, 10000);
      step();
    }
  }
  void pressWithAlt(uint32_t key) {
    headless::pressKey(VK_MENU);
    headless::tapKey(key);
    headless::releaseKey(VK_MENU);
  }
  static uint32_t frameAt(int32_t x, int32_t y) { return *frameDriver.frameImage->pixelAt(x, y); }

  HWND window = nullptr;
  HACCEL accelerators = nullptr;
  bool running = true;
  int exitCode = -1;
};

TEST_F(PlayerTest, StartsAndShowsTheFirstFrame) {
  ASSERT_TRUE(start());
  EXPECT_TRUE(windowed);
  EXPECT_TRUE(windowVisible);
  runUntil(10);
  ASSERT_NE(frameDriver.frameImage, nullptr);
  const headless::Snapshot screen = headless::clientArea();
  ASSERT_EQ(screen.width, 640);
  ASSERT_EQ(screen.height, 480);
  for (int32_t y : {0, 100, 240, 400})
    for (int32_t x : {0, 5, 320, 639}) EXPECT_EQ(screen.at(x, y), frameAt(x, y)) << x << "," << y;
  EXPECT_EQ(nowMs(), 10u);
  EXPECT_TRUE(headless::messageBoxes().empty());
}

TEST_F(PlayerTest, LabelsSitTwelvePixelsFromTheBottomCornersOverTheFrame) {
  ASSERT_TRUE(start());
  runUntil(10);
  const headless::Snapshot screen = headless::clientArea();
  struct Label {
    int32_t left, width, height;
  };
  const Label labels[] = {
      {12, siteLabel->width(), siteLabel->height()},
      {628 - productLabelSurface->width(), productLabelSurface->width(), productLabelSurface->height()}};
  for (const Label& label : labels) {
    ASSERT_GT(label.width, 0);
    ASSERT_GT(label.height, 0);
    int orangePixels = 0;
    for (int32_t y = 468 - label.height; y < 468; ++y) {
      for (int32_t x = label.left; x < label.left + label.width; ++x) {
        const uint32_t pixel = screen.at(x, y);
        if (pixel == orange) {
          ++orangePixels;
        } else {
          // The black background is keyed out: the frame shows through.
          ASSERT_EQ(pixel, frameAt(x, y)) << x << "," << y;
        }
      }
    }
    EXPECT_GT(orangePixels, 20);
  }
  // Nothing orange in the 12-pixel margins.
  for (int32_t y = 468; y < 480; ++y)
    for (int32_t x = 0; x < 640; ++x) ASSERT_EQ(screen.at(x, y), frameAt(x, y)) << x << "," << y;
}

TEST_F(PlayerTest, KeyPShowsTheReadoutAtTheTopLeft) {
  ASSERT_TRUE(start());
  runUntil(100);
  headless::tapKey('P');
  // The first text comes once 500 ms have passed since the clock's origin.
  runUntil(500);
  EXPECT_TRUE(readoutOn);
  EXPECT_EQ(readout.text.rfind("! 32 bpp ", 0), 0u) << readout.text;
  const headless::Snapshot screen = headless::clientArea();
  EXPECT_EQ(screen.at(4, 4), 0x404040u);
  bool white = false;
  for (int32_t x = 4; x < 60; ++x)
    for (int32_t y = 4; y < 16; ++y) white |= screen.at(x, y) == 0xFFFFFF;
  EXPECT_TRUE(white);
  headless::tapKey('P');
  runUntil(520);
  EXPECT_FALSE(readoutOn);
  EXPECT_EQ(headless::clientArea().at(4, 4), frameAt(4, 4));
}

TEST_F(PlayerTest, OtherKeysStartTheInsetWhichEndsSixSecondsLater) {
  ASSERT_TRUE(start());
  runUntil(200);
  // An Enter release follows the Alt+Enter accelerator and switches nothing.
  headless::tapKey(VK_RETURN);
  settle();
  EXPECT_EQ(frameDriver.insetMode, 0);
  headless::tapKey(VK_SHIFT);
  settle();
  EXPECT_EQ(frameDriver.insetMode, 1);
  const uint64_t started = nowMs();
  runUntil(started + 5900);
  EXPECT_EQ(frameDriver.insetMode, 1);
  runUntil(started + 6100);
  EXPECT_EQ(frameDriver.insetMode, 0);
  headless::tapKey(VK_F5);
  settle();
  EXPECT_EQ(frameDriver.insetMode, 1);
}

TEST_F(PlayerTest, TAndAltEnterToggleFullScreenAndBack) {
  ASSERT_TRUE(start());
  runUntil(20);
  headless::tapKey('T');
  runUntil(40);
  EXPECT_FALSE(windowed);
  EXPECT_TRUE(headless::fullScreen());
  EXPECT_EQ(GetMenu(window), nullptr);
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU, 0);
  EXPECT_EQ(headless::clientArea().at(320, 240), frameAt(320, 240));

  pressWithAlt(VK_RETURN);
  runUntil(60);
  EXPECT_TRUE(windowed);
  EXPECT_FALSE(headless::fullScreen());
  EXPECT_NE(GetMenu(window), nullptr);
  EXPECT_NE(GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU, 0);
  RECT client;
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right - client.left, 640);
  EXPECT_EQ(client.bottom - client.top, 480);
  EXPECT_EQ(frameDriver.insetMode, 0);  // neither T nor Enter switches the composition
  EXPECT_TRUE(headless::messageBoxes().empty());
}

TEST_F(PlayerTest, FullScreenRefusesMoveSizeMaximiseAndMonitorPower) {
  ASSERT_TRUE(start());
  runUntil(10);
  EXPECT_NE(mainWindowProcedure(window, WM_SYSCOMMAND, SC_MOVE | 2, 0), 1);
  toggleFullScreen(window);
  ASSERT_FALSE(windowed);
  // Windows keeps internal detail in the low four bits: a caption drag is SC_MOVE | 2.
  for (WPARAM command : {SC_MOVE | 2, SC_SIZE | 8, SC_MAXIMIZE + 0, SC_MONITORPOWER + 0})
    EXPECT_EQ(mainWindowProcedure(window, WM_SYSCOMMAND, command, 0), 1) << command;
}

TEST_F(PlayerTest, LeavingFullScreenPutsTheWindowBackAsItWas) {
  ASSERT_TRUE(start());
  runUntil(10);
  SetWindowPos(window, nullptr, 150, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT before, after, client;
  ASSERT_TRUE(GetWindowRect(window, &before));
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  for (int toggle = 0; toggle < 2; ++toggle) {
    headless::tapKey('T');
    runUntil(nowMs() + 20);
  }
  ASSERT_TRUE(windowed);
  ASSERT_TRUE(GetWindowRect(window, &after));
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.right, before.right);
  EXPECT_EQ(after.bottom, before.bottom);
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), style);
  EXPECT_NE(GetMenu(window), nullptr);
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
}

// Windows' default handling, having not seen the key the accelerator swallowed,
// answers the release of Alt with SC_KEYMENU as if Alt had been pressed alone.
TEST_F(PlayerTest, AltReleasedAfterAnAltAcceleratorOpensNoMenu) {
  ASSERT_TRUE(start());
  runUntil(10);
  headless::tapKey('T');
  settle();
  ASSERT_FALSE(windowed);
  headless::pressKey(VK_MENU);
  headless::tapKey(VK_RETURN);
  settle();
  ASSERT_TRUE(windowed);
  ASSERT_NE(GetMenu(window), nullptr);
  headless::releaseKey(VK_MENU);
  headless::tapKey('N');
  // What the default handling does as Alt comes up; a menu loop would take the N.
  EXPECT_EQ(mainWindowProcedure(window, WM_SYSCOMMAND, SC_KEYMENU, 0), 0);
  settle();
  EXPECT_EQ(frameDriver.insetMode, 1) << "the first key after the accelerator was lost";

  // Alt alone still enters the menu: the keys that follow go to it, and Esc leaves it.
  headless::tapKey(VK_MENU);
  headless::tapKey('N');
  headless::tapKey(VK_ESCAPE);
  settle();
  EXPECT_EQ(frameDriver.insetMode, 1);
  EXPECT_TRUE(running);
}

class ExitTest : public PlayerTest, public ::testing::WithParamInterface<int> {};

TEST_P(ExitTest, EndsWithExitCodeZero) {
  ASSERT_TRUE(start());
  runUntil(50);
  switch (GetParam()) {
    case 0:
      headless::tapKey(VK_ESCAPE);
      break;
    case 1:
      pressWithAlt('X');
      break;
    case 2:
      headless::requestClose();
      break;
    default:
      PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
      break;
  }
  runUntil(1000);
  EXPECT_FALSE(running);
  EXPECT_EQ(exitCode, 0);
  EXPECT_FALSE(headless::windowOpen());
  EXPECT_FALSE(displayDevice);
}
INSTANTIATE_TEST_SUITE_P(EscAltXCloseBoxAndMenu, ExitTest, ::testing::Values(0, 1, 2, 3));

// A close request (SIGTERM or the window manager's) while a menu or the About
// dialog waits for the user ends the program without that user.
class CloseDuringModalLoopTest : public PlayerTest, public ::testing::WithParamInterface<int> {};

TEST_P(CloseDuringModalLoopTest, EndsTheLoopAndThenTheProgram) {
  ASSERT_TRUE(start());
  runUntil(50);
  switch (GetParam()) {
    case 0:
      pressWithAlt('F');
      break;
    case 1:
      headless::click(headless::windowX() + 10, headless::windowY() + GetSystemMetrics(SM_CYMENU) / 2);
      break;
    default:
      pressWithAlt('F');
      headless::tapKey('A');
      break;
  }
  // Nothing comes after it: a loop still waiting for the user is reported as a stall.
  headless::requestClose();
  runUntil(1000);
  EXPECT_FALSE(running);
  EXPECT_EQ(exitCode, 0);
  EXPECT_FALSE(headless::windowOpen());
  EXPECT_FALSE(displayDevice);
  EXPECT_TRUE(headless::openedAddresses().empty());
}
INSTANTIATE_TEST_SUITE_P(MenuByKeyMenuByClickAndAbout, CloseDuringModalLoopTest, ::testing::Values(0, 1, 2));

TEST_F(PlayerTest, EachClickOpensTheWebPageOnce) {
  ASSERT_TRUE(start());
  runUntil(20);
  POINT centre{320, 240};
  ClientToScreen(window, &centre);
  headless::click(centre.x, centre.y, 0);
  headless::click(centre.x, centre.y, 1);
  settle();
  ASSERT_EQ(headless::openedAddresses().size(), 2u);
  for (const std::string& address : headless::openedAddresses()) EXPECT_EQ(address, webAddress);
  EXPECT_EQ(webAddress.size(), 31u);
  EXPECT_EQ(webAddress.substr(webAddress.size() - 6), "?lumi8");
}

TEST_F(PlayerTest, TheAboutDialogsButtonOpensThePageAndClosesIt) {
  ASSERT_TRUE(start());
  runUntil(20);
  headless::answerDialog(IDC_ABOUT_WEB_BUTTON);
  PostMessageA(window, WM_COMMAND, IDM_ABOUT, 0);
  settle();
  ASSERT_EQ(headless::openedAddresses().size(), 1u);
  headless::answerDialog(IDOK);
  PostMessageA(window, WM_COMMAND, IDM_ABOUT, 0);
  settle();
  EXPECT_EQ(headless::openedAddresses().size(), 1u);
  runUntil(40);  // the animation goes on once the dialog is closed
}

TEST_F(PlayerTest, MinimisedComputesNoFrames) {
  ASSERT_TRUE(start());
  runUntil(30);
  const int32_t presented = headless::presentCount();
  headless::minimise();
  settle();
  EXPECT_FALSE(windowVisible);
  EXPECT_EQ(nowMs(), 30u);
  EXPECT_EQ(headless::presentCount(), presented);
  headless::restore();
  settle();
  EXPECT_TRUE(windowVisible);
  runUntil(50);
  EXPECT_GT(headless::presentCount(), presented);
}

TEST_F(PlayerTest, MinimisedWaitsUntilAScriptedRestoreAndAnimatesAgain) {
  ASSERT_TRUE(start());
  runUntil(30);
  headless::minimise();
  headless::schedule(5'000'000, [] { headless::restore(); });
  settle();
  ASSERT_FALSE(windowVisible);
  // The program waits for a message; the clock moves on to the restore.
  step();
  settle();
  EXPECT_TRUE(windowVisible);
  EXPECT_EQ(nowMs(), 5000u);
  runUntil(5020);
  EXPECT_TRUE(running);
  EXPECT_EQ(headless::scheduledCount(), 0u);
}

TEST_F(PlayerTest, AnInactiveWindowPacesAtOneHundredMillisecondsAndDoesNotPan) {
  ASSERT_TRUE(start());
  runUntil(30);
  headless::setFocus(false);
  settle();
  EXPECT_FALSE(appActive);
  const double offset = frameDriver.scene1()->layers[0]->panorama->offsetX;
  headless::setPointer(200, 0);
  const uint64_t before = nowMs();
  step();
  EXPECT_EQ(nowMs(), before + 100);
  EXPECT_EQ(frameDriver.scene1()->layers[0]->panorama->offsetX, offset);
  headless::setFocus(true);
  settle();
  EXPECT_TRUE(appActive);
  headless::setPointer(205, 0);
  step();
  EXPECT_EQ(nowMs(), before + 110);
  // Five pixels to the right pan the picture ten to the right; the offset wraps at twice the width.
  EXPECT_EQ(frameDriver.scene1()->layers[0]->panorama->offsetX, std::fmod(offset - 10 + 1280, 1280));
}

TEST_F(PlayerTest, LostSurfacesAreRestoredAndRedrawnWithoutAMessage) {
  ASSERT_TRUE(start());
  runUntil(30);
  headless::loseAllSurfaces();
  runUntil(60);
  EXPECT_TRUE(headless::messageBoxes().empty());
  EXPECT_TRUE(running);
  const headless::Snapshot screen = headless::clientArea();
  EXPECT_EQ(screen.at(320, 240), frameAt(320, 240));
  bool labelShown = false;
  for (int32_t x = 12; x < 12 + siteLabel->width(); ++x)
    for (int32_t y = 468 - siteLabel->height(); y < 468; ++y) labelShown |= screen.at(x, y) == orange;
  EXPECT_TRUE(labelShown);
}

TEST_F(PlayerTest, AChangedDisplayModeRebuildsTheDisplay) {
  ASSERT_TRUE(start());
  runUntil(30);
  EXPECT_EQ(displayDepth, 32);
  headless::changeDisplayMode(16, 0xF800, 0x07E0, 0x001F);
  runUntil(80);
  EXPECT_EQ(displayDepth, 16);
  EXPECT_TRUE(headless::messageBoxes().empty());
  EXPECT_EQ(frameDriver.preparedDepth(), 16);
}

TEST_F(PlayerTest, AnotherProgramHoldingTheDisplayMakesItIdleInTenMillisecondSteps) {
  ASSERT_TRUE(start());
  toggleFullScreen(window);
  runUntil(30);
  headless::setExclusiveModeHeldElsewhere(true);
  settle();
  const int32_t presented = headless::presentCount();
  for (int i = 1; i <= 5; ++i) {
    const uint64_t before = nowMs();
    step();
    EXPECT_EQ(nowMs(), before + 10);
  }
  EXPECT_EQ(headless::presentCount(), presented);
  headless::setExclusiveModeHeldElsewhere(false);
  runUntil(nowMs() + 50);
  EXPECT_GT(headless::presentCount(), presented);
  EXPECT_TRUE(running);
}

TEST_F(PlayerTest, AFailedWindowedSetUpFallsBackToFullScreen) {
  headless::failCall("CreateClipper", DDERR_GENERIC);
  ASSERT_TRUE(start());
  EXPECT_FALSE(windowed);
  EXPECT_TRUE(headless::fullScreen());
  EXPECT_TRUE(headless::messageBoxes().empty());
}

TEST_F(PlayerTest, SetUpFailingInBothModesShowsBothMessagesAndEnds) {
  headless::setFullScreenModesAvailable(false);
  headless::failCall("CreateClipper", DDERR_GENERIC);
  EXPECT_FALSE(start());
  const auto& boxes = headless::messageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "This display card does not support 640x480x32 ");
  EXPECT_EQ(
      boxes[1].text,
      "DirectDraw init failed.\nPlease Install DirectX version 7.0 or later.\nThe program will now exit.\n");
  for (const auto& box : boxes) {
    EXPECT_EQ(box.caption, "Lumiscene");
    EXPECT_EQ(box.flags & MB_ICONERROR, static_cast<uint32_t>(MB_ICONERROR));
  }
  EXPECT_FALSE(displayDevice);
}

TEST_F(PlayerTest, FailingToStartInEitherModeEndsTheProgramWithStatusOne) {
  headless::setFullScreenModesAvailable(false);
  headless::failCall("CreateClipper", DDERR_GENERIC);
  EXPECT_EQ(runLumiscene(GetModuleHandleA(nullptr), SW_SHOWNORMAL), failureExitStatus);
  EXPECT_EQ(headless::messageBoxes().size(), 2u);
  EXPECT_FALSE(displayDevice);
}

TEST_F(PlayerTest, ARefusedFullScreenToggleClosesTheWindowAndEndsWithStatusOne) {
  ASSERT_TRUE(start());
  runUntil(30);
  headless::setExclusiveModeHeldElsewhere(true);
  headless::tapKey('T');
  runUntil(1000);
  EXPECT_FALSE(running);
  EXPECT_EQ(exitCode, failureExitStatus);
  ASSERT_EQ(headless::messageBoxes().size(), 2u);
  EXPECT_EQ(headless::messageBoxes()[1].text, "InitDirectDraw() failed. The program will now exit. ");
  EXPECT_FALSE(headless::windowOpen());
  EXPECT_FALSE(displayDevice);
}

TEST_F(PlayerTest, AnEightBitDesktopGoesFullScreenAtOnce) {
  headless::setDisplayFormat(8, 0, 0, 0);
  ASSERT_TRUE(start());
  EXPECT_FALSE(windowed);
  EXPECT_TRUE(headless::fullScreen());
  EXPECT_EQ(displayDepth, 32);
  runUntil(20);
  EXPECT_EQ(headless::clientArea().at(100, 100), frameAt(100, 100));
}

TEST_F(PlayerTest, WithoutADisplayAFailingStepEndsTheLoopWithAMessage) {
  ASSERT_TRUE(start());
  runUntil(20);
  releaseDisplay();
  EXPECT_EQ(presentFrame(), E_POINTER);
  EXPECT_EQ(restoreSurfaces(), E_POINTER);
  EXPECT_EQ(drawLabels(), E_POINTER);
  EXPECT_EQ(drawReadout(), E_POINTER);
  step();
  EXPECT_FALSE(running);
  EXPECT_EQ(exitCode, failureExitStatus);
  ASSERT_EQ(headless::messageBoxes().size(), 1u);
  EXPECT_EQ(headless::messageBoxes()[0].text,
            "Displaying the next frame failed. The program will now exit. ");
}

struct Format {
  const char* name;
  int32_t bits;
  uint32_t red, green, blue;
  uint32_t kept;  // the bits of a 0x00RRGGBB pixel the format keeps
};

class FormatTest : public PlayerTest, public ::testing::WithParamInterface<Format> {};

TEST_P(FormatTest, TheFrameReachesTheScreenInTheDisplaysFormat) {
  const Format& format = GetParam();
  headless::setDisplayFormat(format.bits, format.red, format.green, format.blue);
  ASSERT_TRUE(start());
  runUntil(20);
  EXPECT_EQ(displayDepth, format.bits);
  const headless::Snapshot screen = headless::clientArea();
  for (int32_t y = 0; y < 400; y += 37)
    for (int32_t x = 0; x < 640; x += 29)
      ASSERT_EQ(screen.at(x, y) & format.kept, frameAt(x, y) & format.kept)
          << format.name << " " << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, FormatTest,
                         ::testing::Values(Format{"565", 16, 0xF800, 0x07E0, 0x001F, 0xF8FCF8},
                                           Format{"555", 16, 0x7C00, 0x03E0, 0x001F, 0xF8F8F8},
                                           Format{"24", 24, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF},
                                           Format{"32", 32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF},
                                           Format{"32bgr", 32, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF}),
                         [](const auto& info) { return std::string("Format") + info.param.name; });

}  // namespace
}  // namespace lumiscene
