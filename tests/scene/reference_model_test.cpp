// Runs the real FrameDriver and the reference model side by side over scripted
// sessions (pointer moves, focus changes, the switching key, the timers,
// display depth changes) on the headless clock and demands byte-identical
// frames at the chosen moments.
//
// Pictures have detail in every pixel, so a block placed one pixel off, a
// rounding that goes the other way or a pan of the wrong length shows up as a
// differing pixel. Between checks the model may skip its pixel work (state
// only): every frame is redrawn in full from the panorama window.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/clock.h"
#include "display/program_frames.h"
#include "pictures/embedded_pictures.h"
#include "platform/portable/headless/headless.h"
#include "scene/frame_driver.h"
#include "scene/image.h"
#include "tests/scene/reference_model.h"

namespace lumiscene {
namespace {

using reference::Picture;

Picture noisePicture(int32_t width, int32_t height, uint32_t seed) {
  Picture p(width, height, 0);
  for (uint32_t& px : p.pixels) {
    seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
    px = seed & 0xFFFFFFu;
  }
  return p;
}

std::unique_ptr<Image> toImage(const Picture& p) {
  auto image = std::make_unique<Image>();
  image->create(p.width, p.height, 0);
  image->loadPixels(p.pixels.data());
  return image;
}

Picture toPicture(const Image& image) {
  Picture p(image.width, image.height, 0);
  p.pixels.assign(image.pixels.get(), image.pixels.get() + static_cast<size_t>(image.width) * image.height);
  return p;
}

// Empty when equal; otherwise where and how the two first differ.
std::string difference(const Picture& expected, const Image* actual) {
  if (!actual) return "the real image is missing";
  if (actual->width != expected.width || actual->height != expected.height) return "sizes differ";
  size_t differing = 0;
  std::ostringstream first;
  for (int32_t y = 0; y < expected.height; ++y)
    for (int32_t x = 0; x < expected.width; ++x) {
      const uint32_t want = expected.at(x, y), got = *actual->pixelAt(x, y);
      if (want == got) continue;
      if (differing++ == 0)
        first << "first at (" << x << ", " << y << "): model " << std::hex << want << ", engine " << got
              << std::dec;
    }
  if (differing == 0) return {};
  return first.str() + "; " + std::to_string(differing) + " pixels differ";
}

// The real driver over the headless clock and pointer, and the model beside it.
class SideBySide {
 public:
  SideBySide(Picture p1, Picture p2, int32_t depth, bool active, uint64_t startMs = 0)
      : picture1_(std::move(p1)), picture2_(std::move(p2)) {
    headless::reset();
    headless::setClockMicroseconds(startMs * 1000);
    calibrateClock();
    image1_ = toImage(picture1_);
    image2_ = toImage(picture2_);
    inputs_ = {active, depth, image1_.get(), image2_.get()};
    driver_ = std::make_unique<FrameDriver>(programFrameHost());
    model_.picture1 = &picture1_;
    model_.picture2 = &picture2_;
    model_.appActive = active;
    model_.displayDepth = depth;
    model_.clockMs = millisecondsNow();
  }

  // One frame on both sides; the state both expose must agree after it.
  void frame(bool draw = true) {
    model_.drawPixels = draw;
    driver_->preparePictures(inputs_);
    const bool changed = driver_->advanceFrame(inputs_);
    model_.preparePictures();
    const bool expected = model_.advanceFrame();
    ++frames_;
    ASSERT_EQ(changed, expected) << "frame " << frames_;
    ASSERT_EQ(millisecondsNow(), model_.clockMs) << "frame " << frames_;
    ASSERT_EQ(driver_->insetMode, model_.insetMode) << "frame " << frames_;
    ASSERT_EQ(driver_->appliedMode(), model_.appliedMode()) << "frame " << frames_;
    ASSERT_EQ(driver_->modeStart(), model_.modeStart()) << "frame " << frames_;
    ASSERT_EQ(driver_->lastCursor.x, model_.lastCursorX()) << "frame " << frames_;
    ASSERT_EQ(driver_->lastCursor.y, model_.lastCursorY()) << "frame " << frames_;
  }
  // n frames, drawing only the last on the model's side.
  void frames(int n) {
    for (int i = 0; i < n; ++i) {
      frame(i == n - 1);
      if (testing::Test::HasFatalFailure()) return;
    }
  }
  // Frames until the clock reads ms, drawing only the last.
  void until(uint32_t ms) {
    while (model_.clockMs + (model_.appActive ? 10u : 100u) < ms) {
      frame(false);
      if (testing::Test::HasFatalFailure()) return;
    }
    frame(true);
    ASSERT_EQ(model_.clockMs, ms);
  }

  void expectSameFrame(const std::string& when) {
    ++checks_;
    ASSERT_TRUE(model_.frameImage());
    const std::string diff = difference(*model_.frameImage(), driver_->frameImage);
    EXPECT_TRUE(diff.empty()) << when << " (frame " << frames_ << ", clock " << model_.clockMs
                              << " ms): " << diff;
  }
  void expectSamePreparedPictures(const std::string& when) {
    ASSERT_TRUE(model_.preparedPicture1() && model_.preparedPicture2());
    EXPECT_EQ(difference(*model_.preparedPicture1(), driver_->preparedPicture1.get()), "")
        << when << ", picture 1";
    EXPECT_EQ(difference(*model_.preparedPicture2(), driver_->preparedPicture2.get()), "")
        << when << ", picture 2";
  }

  void movePointer(int32_t x, int32_t y) {
    headless::setPointer(x, y);
    model_.pointerX = x, model_.pointerY = y;
  }
  void setPointerReadable(bool readable) {
    headless::setPointerReadable(readable);
    model_.pointerReadable = readable;
  }
  void setActive(bool active) { inputs_.active = model_.appActive = active; }
  void setDepth(int32_t depth) { inputs_.displayDepth = model_.displayDepth = depth; }
  void pressKey() {
    driver_->insetMode ^= 1;
    model_.insetMode ^= 1;
  }

  const reference::Model& model() const { return model_; }
  uint32_t clock() const { return model_.clockMs; }

 private:
  Picture picture1_, picture2_;
  std::unique_ptr<Image> image1_, image2_;
  FrameInputs inputs_;
  std::unique_ptr<FrameDriver> driver_;
  reference::Model model_;
  int frames_ = 0;
  int checks_ = 0;
};

Picture canvasFor(const Picture& picture) { return toPicture(*makeCanvas(640, 480, *toImage(picture))); }

TEST(ReferenceModel, FirstFramesAndDriftMatch) {
  SideBySide run(noisePicture(640, 480, 1), canvasFor(noisePicture(400, 300, 2)), 32, true);
  run.frame();
  run.expectSameFrame("first frame");
  ASSERT_EQ(run.model().scene1()->layers[1]->axisX.phases.size(), 9785u);
  run.frame();
  run.expectSameFrame("second frame");
  run.frames(3);
  run.expectSameFrame("a few frames in");
  // A second and a half of drift to the right at 20 pixels per second.
  run.until(1500);
  run.expectSameFrame("after 1.5 s of drift");
}

TEST(ReferenceModel, PointerPansHorizontallyOnly) {
  SideBySide run(noisePicture(640, 480, 3), canvasFor(noisePicture(400, 300, 4)), 32, true);
  run.frames(20);
  run.movePointer(5, 0);
  run.frame();
  run.expectSameFrame("pointer 5 px right");
  run.movePointer(-37, 0);
  run.frame();
  run.expectSameFrame("pointer 42 px left");
  run.movePointer(-37, 123);
  run.frame();
  run.expectSameFrame("pointer moved vertically");
  // Far enough to wrap the panorama offset several times, in both directions.
  run.movePointer(1500, -40);
  run.frame();
  run.expectSameFrame("pointer 1537 px right");
  run.frames(7);
  run.movePointer(-900, 300);
  run.frame();
  run.expectSameFrame("pointer 2400 px left");
  run.movePointer(-899, 300);
  run.frame();
  run.expectSameFrame("pointer 1 px right");
  // A pan that takes the offset to exactly minus two picture widths, then one
  // that leaves it more than a picture width below zero.
  const double offset = run.model().scene1()->layers[0]->panorama->offsetX;
  const int32_t x = -899 + static_cast<int32_t>(offset + 1280) / 2;
  run.movePointer(x, 300);
  run.frame();
  ASSERT_EQ(run.model().scene1()->layers[0]->panorama->offsetX, 0.0);
  run.expectSameFrame("panorama offset at minus two widths");
  run.movePointer(x + 391, 300);
  run.frame();
  run.expectSameFrame("panorama offset 782 px below zero");
  // An unreadable pointer pans nothing and keeps the last position.
  run.setPointerReadable(false);
  run.movePointer(-500, 0);
  run.frame();
  run.expectSameFrame("pointer unreadable");
  run.setPointerReadable(true);
  run.frame();
  run.expectSameFrame("pointer readable again");
}

TEST(ReferenceModel, InactiveWindowNeitherPansNorKeepsPace) {
  SideBySide run(noisePicture(640, 480, 5), canvasFor(noisePicture(400, 300, 6)), 32, true);
  run.frames(30);
  run.setActive(false);
  run.frame();
  run.expectSameFrame("first inactive frame");
  run.movePointer(200, 50);
  run.frame();
  run.expectSameFrame("pointer moved while inactive");
  run.frames(4);
  run.expectSameFrame("inactive for half a second");
  run.setActive(true);
  run.frame();
  run.expectSameFrame("reactivated");
  run.movePointer(190, 50);
  run.frame();
  run.expectSameFrame("pointer moved after reactivation");
  // The pulse in 100 ms steps while the inset shows on an inactive window.
  run.pressKey();
  run.frames(2);
  run.setActive(false);
  run.frames(8);
  run.expectSameFrame("inset rising while inactive");
  run.frames(10);
  run.expectSameFrame("inset plateau while inactive");
}

TEST(ReferenceModel, StartingInactive) {
  SideBySide run(noisePicture(640, 480, 7), canvasFor(noisePicture(400, 300, 8)), 32, false);
  run.movePointer(30, 30);
  run.frame();
  run.expectSameFrame("first frame while inactive");
  run.setActive(true);
  run.frames(3);
  run.expectSameFrame("active after an inactive start");
}

TEST(ReferenceModel, KeyStartsTheInsetAndItsPulse) {
  SideBySide run(noisePicture(640, 480, 9), canvasFor(noisePicture(400, 300, 10)), 32, true);
  run.until(500);
  run.pressKey();
  run.frame();
  const uint32_t start = run.clock();
  ASSERT_EQ(run.model().modeStart(), start);
  run.expectSameFrame("inset starts");
  // Rise, the turn to the plateau, the plateau, the fall and the last frame.
  for (uint32_t t : {10u, 20u, 500u, 1000u, 1500u, 1510u, 3000u, 4500u, 4510u, 5000u, 5990u}) {
    if (t == 3000u) run.movePointer(-14, 0);  // panning under the inset
    run.until(start + t);
    run.expectSameFrame("inset at " + std::to_string(t) + " ms");
  }
  run.frame();
  EXPECT_EQ(run.model().insetMode, 0);
  run.expectSameFrame("inset ended at 6 s");
  // A key press in the inset ends it at once.
  run.pressKey();
  run.until(run.clock() + 1000);
  run.expectSameFrame("second inset at 1 s");
  run.pressKey();
  run.frame();
  run.expectSameFrame("inset ended by the key");
}

TEST(ReferenceModel, ThirtySecondTimerStartsTheInset) {
  SideBySide run(noisePicture(640, 480, 11), canvasFor(noisePicture(400, 300, 12)), 32, true);
  run.until(30000);
  EXPECT_EQ(run.model().insetMode, 0);
  run.expectSameFrame("last frame of the first 30 s");
  run.frame();
  EXPECT_EQ(run.model().insetMode, 1);
  run.expectSameFrame("inset started by the timer");
  run.until(30010 + 1000);
  run.expectSameFrame("timer inset rising");
}

TEST(ReferenceModel, ShallowDisplayNoiseAndDepthChanges) {
  SideBySide run(noisePicture(640, 480, 13), canvasFor(noisePicture(400, 300, 14)), 16, true);
  run.frame();
  run.expectSamePreparedPictures("depth 16");
  run.expectSameFrame("first frame at depth 16");
  run.pressKey();
  run.until(1600);
  run.expectSameFrame("inset plateau at depth 16");

  SideBySide change(noisePicture(640, 480, 15), canvasFor(noisePicture(400, 300, 16)), 32, true);
  change.frames(10);
  change.pressKey();
  change.until(1000);
  change.expectSameFrame("inset at depth 32");
  change.setDepth(16);
  change.frame();
  change.expectSamePreparedPictures("depth 32 -> 16");
  change.expectSameFrame("inset after the change to 16");
  change.setDepth(24);
  change.frame();
  change.expectSamePreparedPictures("depth 16 -> 24");
  change.expectSameFrame("inset after the change to 24");
}

// The clock has an arbitrary origin: starting just before it wraps, the first
// update sees a huge elapsed time and the timers run across the wrap.
TEST(ReferenceModel, ClockStartingJustBeforeItWraps) {
  SideBySide run(noisePicture(640, 480, 17), canvasFor(noisePicture(400, 300, 18)), 32, true,
                 0xFFFFFFFFull - 45);
  run.frame();
  run.expectSameFrame("first frame before the wrap");
  run.frames(6);
  run.expectSameFrame("after the wrap");
  run.pressKey();
  run.frames(150);
  run.expectSameFrame("inset across the wrap");
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ReferenceModel, ProgramPictures) {
  std::unique_ptr<Image> p1, p2;
  const auto bytes1 = readFile(LUMISCENE_RESOURCES "/picture1.jpg");
  const auto bytes2 = readFile(LUMISCENE_RESOURCES "/picture2.jpg");
  ASSERT_TRUE(decodePicture(p1, bytes1.data(), static_cast<int32_t>(bytes1.size())));
  ASSERT_TRUE(decodePicture(p2, bytes2.data(), static_cast<int32_t>(bytes2.size())));
  ASSERT_EQ(p1->width, 640);
  ASSERT_EQ(p1->height, 480);
  SideBySide run(toPicture(*p1), toPicture(*makeCanvas(640, 480, *p2)), 32, true);
  run.frame();
  run.expectSameFrame("first frame");
  run.movePointer(-60, 10);
  run.frame();
  run.expectSameFrame("panned left");
  run.pressKey();
  run.until(1600);
  run.expectSameFrame("inset plateau");
}

}  // namespace
}  // namespace lumiscene
