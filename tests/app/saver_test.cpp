// The program as a screensaver: the player's animation with a pointer that
// drifts by itself, and none of the player's menu, keys or clicks.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/app_flags.h"
#include "app/main_loop.h"
#include "app/startup.h"
#include "display/display_setup.h"
#include "display/program_frames.h"
#include "platform/portable/headless/headless.h"
#include "platform/win32.h"
#include "scene/image.h"
#include "scene/pointer_drift.h"

namespace lumiscene {
namespace {

TEST(PointerDrift, MovesRightEvenlyFromItsFirstReading) {
  PointerDrift drift;
  EXPECT_EQ(drift.at(5000).x, 0);
  EXPECT_EQ(drift.at(5000 + 60000).x, 320);
  EXPECT_EQ(drift.at(5000 + 120000).x, 640);
  EXPECT_EQ(drift.at(5000 + 120000).y, 0);
  // Whole pixels: 187 ms is not yet one pixel, 188 ms is.
  EXPECT_EQ(PointerDrift::after(187).x, 0);
  EXPECT_EQ(PointerDrift::after(188).x, 1);
}

TEST(PointerDrift, KeepsGoingWhenTheClockWraps) {
  PointerDrift drift;
  drift.at(0xFFFFF000u);
  // 0x1000 + 0x1000 ms later: the clock wrapped, the drift did not.
  EXPECT_EQ(drift.at(0x00001000u).x, static_cast<int32_t>(8192 * 640 / 120000));
}

// One run of the program for a few seconds of virtual time: the frame after
// every step of the message loop, and the pointer position the frame driver had seen.
struct Recording {
  std::vector<std::vector<uint32_t>> frames;
  std::vector<int32_t> pointerX;
};

class SaverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::reset();
    resetProgram();
  }
  void TearDown() override {
    releaseDisplay();
    resetProgram();
  }

  bool start() { return startUp(GetModuleHandleA(nullptr), SW_SHOWNORMAL, window, accelerators); }
  void step() { ASSERT_TRUE(messageLoopStep(window, accelerators, exitCode)); }

  // Steps the program until the virtual clock reaches ms; with a pointer path
  // the real pointer is put where the path says before each step.
  Recording record(uint64_t ms, const std::vector<int32_t>* pointerPath) {
    Recording result;
    for (size_t i = 0; headless::clockMicroseconds() < ms * 1000; ++i) {
      if (i > 100000) {
        ADD_FAILURE() << "the clock stopped";
        break;
      }
      if (pointerPath != nullptr && i < pointerPath->size()) headless::setPointer((*pointerPath)[i], 0);
      step();
      if (frameDriver.frameImage == nullptr) continue;
      const Image& frame = *frameDriver.frameImage;
      result.frames.emplace_back(frame.pixelAt(0, 0), frame.pixelAt(0, 0) + frame.width * frame.height);
      result.pointerX.push_back(frameDriver.lastCursor.x);
    }
    return result;
  }

  HWND window = nullptr;
  HACCEL accelerators = nullptr;
  int exitCode = -1;
};

TEST_F(SaverTest, DrawsThePlayersFramesForTheDriftsPointerPath) {
  runningAsSaver = true;
  ASSERT_TRUE(start());
  // The real pointer wanders; the saver's picture must not follow it.
  headless::setPointer(300, 200);
  const Recording saver = record(4000, nullptr);
  ASSERT_GT(saver.frames.size(), 100u);
  EXPECT_GE(saver.pointerX.back(), 20);  // about 4 s of drift: 21 pixels
  EXPECT_LE(saver.pointerX.back(), 21);

  releaseDisplay();
  headless::reset();
  resetProgram();
  ASSERT_TRUE(start());
  const Recording player = record(4000, &saver.pointerX);
  ASSERT_EQ(player.frames.size(), saver.frames.size());
  for (size_t i = 0; i < saver.frames.size(); ++i) {
    ASSERT_EQ(player.pointerX[i], saver.pointerX[i]) << "step " << i;
    ASSERT_TRUE(player.frames[i] == saver.frames[i]) << "frames differ at step " << i;
  }
  // The drift really pans: the first and last frames differ.
  EXPECT_FALSE(saver.frames.front() == saver.frames.back());
}

TEST_F(SaverTest, HasNoMenuAndIgnoresThePlayersKeysAndClicks) {
  runningAsSaver = true;
  ASSERT_TRUE(start());
  EXPECT_EQ(GetMenu(window), nullptr);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right - client.left, frameWidth);
  EXPECT_EQ(client.bottom - client.top, frameHeight);
  headless::tapKey('A');
  headless::tapKey('T');
  headless::click(100, 100);
  for (int i = 0; i < 20; ++i) step();
  EXPECT_EQ(frameDriver.insetMode, 0);
  EXPECT_TRUE(windowed);
  EXPECT_TRUE(headless::openedAddresses().empty());
}

}  // namespace
}  // namespace lumiscene
