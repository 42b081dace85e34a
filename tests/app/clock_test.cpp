// The milliseconds clock over the headless backend's virtual counter.
#include <gtest/gtest.h>

#include "app/clock.h"
#include "platform/portable/headless/headless.h"
#include "platform/win32.h"

namespace lumiscene {
namespace {

class ClockTest : public ::testing::Test {
protected:
  void SetUp() override {
    headless::reset();
    clockState = ClockState{};
  }
};

TEST_F(ClockTest, ReadingsBeforeCalibrationComeFromTheMultimediaTimer) {
  headless::setCounterFrequency(3'000'000);
  headless::setClockMicroseconds(1'234'567);
  EXPECT_EQ(millisecondsNow(), 1234u);
  EXPECT_FALSE(clockState.hasPerformanceCounter);
}

TEST_F(ClockTest, CountsMillisecondsFromThePerformanceCounter) {
  headless::setCounterFrequency(3'579'545);
  calibrateClock();
  ASSERT_TRUE(clockState.hasPerformanceCounter);
  EXPECT_DOUBLE_EQ(clockState.microsecondsPerTick, 1000000.0 / 3579545.0);
  headless::setClockMicroseconds(25'000'000);
  EXPECT_NEAR(microsecondsNow(), 25'000'000.0, 1.0);
  EXPECT_NEAR(static_cast<double>(millisecondsNow()), 25'000.0, 1.0);
  Sleep(10);
  EXPECT_NEAR(static_cast<double>(millisecondsNow()), 25'010.0, 1.0);
}

TEST_F(ClockTest, WithoutACounterFallsBackToTimeGetTime) {
  headless::setCounterFrequency(0);
  calibrateClock();
  EXPECT_FALSE(clockState.hasPerformanceCounter);
  headless::setClockMicroseconds(7'000'999);
  EXPECT_EQ(microsecondsNow(), 0.0);
  EXPECT_EQ(millisecondsNow(), 7000u);
}

TEST_F(ClockTest, WrapsAfterTwoToTheThirtyTwoMilliseconds) {
  calibrateClock();
  const uint64_t wrapMs = uint64_t{1} << 32;
  headless::setClockMicroseconds((wrapMs - 5) * 1000);
  const uint32_t before = millisecondsNow();
  EXPECT_EQ(before, 0xFFFFFFFBu);
  Sleep(10);
  const uint32_t after = millisecondsNow();
  EXPECT_EQ(after, 5u);
  EXPECT_EQ(after - before, 10u);
}

TEST_F(ClockTest, OnlySleepAndTheTestMoveTheVirtualClock) {
  calibrateClock();
  EXPECT_EQ(millisecondsNow(), 0u);
  EXPECT_EQ(millisecondsNow(), 0u);
  Sleep(100);
  EXPECT_EQ(millisecondsNow(), 100u);
  EXPECT_EQ(headless::sleptMilliseconds(), 100u);
}

TEST(PointerTest, GetCursorPosReportsWhatTheTestSetAndFailsWhenUnreadable) {
  headless::reset();
  POINT point{-1, -1};
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, 0);
  EXPECT_EQ(point.y, 0);
  headless::setPointer(320, -7);
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, 320);
  EXPECT_EQ(point.y, -7);
  EXPECT_TRUE(SetCursorPos(5, 6));
  ASSERT_TRUE(GetCursorPos(&point));
  EXPECT_EQ(point.x, 5);
  EXPECT_EQ(point.y, 6);
  headless::setPointerReadable(false);
  EXPECT_FALSE(GetCursorPos(&point));
  EXPECT_FALSE(GetCursorPos(nullptr));
}

}  // namespace
}  // namespace lumiscene
