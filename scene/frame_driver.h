// FrameDriver: turns the scene engine into the animation the user sees.
//
// It prepares working copies of the two pictures for the display depth, builds
// both compositions on the first frame and, on every frame, sleeps briefly,
// decides which composition shows, turns pointer movement into panning, fades
// the inset picture in and out and steps both scenes into the 640 x 480 frame.
//
// Scene 1: the first picture as an endless mirrored panorama under a shimmer of
// 4 x 8 blocks that drift right at 20 pixels per second. Scene 2: the second
// picture cross-faded into (50, 50)-(589, 429). The inset mode starts after
// 30 s of scene 1 alone, or at once when the switching key flips insetMode,
// and ends 6 s later; its pulse rises to a half-and-half mix (blue at 0.75),
// holds and falls back.
//
// It reaches nothing of the program around it: whoever runs it (the player,
// the render tool, tests, another front end) gives it a FrameHost for time,
// waiting and the pointer, and the FrameInputs of every frame.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "scene/image.h"
#include "scene/scene.h"

namespace lumiscene {

struct CursorPosition {
  int32_t x = 0;
  int32_t y = 0;
};

// The services a frame calls on. A missing one reads 0, waits not at all, or
// finds no pointer.
struct FrameHost {
  std::function<uint32_t()> milliseconds;  // wraps at 2^32: users take unsigned differences
  std::function<void(uint32_t)> sleep;
  std::function<bool(CursorPosition&)> readPointer;  // false when the pointer cannot be read
};

// What the front end says about the coming frame.
struct FrameInputs {
  bool active = false;       // the window is active and not minimised: short sleeps, panning
  int32_t displayDepth = 0;  // bits per pixel of the display the frame goes to
  const Image* picture1 = nullptr;
  const Image* picture2 = nullptr;
};

class FrameDriver {
public:
  explicit FrameDriver(FrameHost host);

  // Pixels of panning per pixel of pointer movement: only horizontal movement pans.
  static constexpr int32_t panFactorX = 2;
  static constexpr int32_t panFactorY = 0;
  // Milliseconds slept per frame while the window is active / inactive.
  static constexpr uint32_t idleSleepMs[2] = {10, 100};
  static constexpr int32_t sceneSeconds = 30;
  static constexpr int32_t insetSeconds = 6;

  // Makes depth-specific copies of the two pictures when the display depth has
  // changed; shallow displays (below 24 bits) get a little noise.
  void preparePictures(const FrameInputs& inputs);
  // One frame; true when a scene was updated and a new frame should be presented.
  bool advanceFrame(const FrameInputs& inputs);

  Image* frameImage = nullptr;  // the 640 x 480 frame, after the first advanceFrame
  int32_t insetMode = 0;        // 0: scene 1 alone; 1: scene 1 plus the inset
  CursorPosition lastCursor;    // last pointer position seen
  int32_t frameRenderMs = 0;    // time the scene updates of the last frame took
  std::unique_ptr<Image> preparedPicture1;
  std::unique_ptr<Image> preparedPicture2;

  Scene* scene1() const { return scene1_.get(); }
  Scene* scene2() const { return scene2_.get(); }
  int32_t appliedMode() const { return appliedMode_; }
  uint32_t modeStart() const { return modeStart_; }
  int32_t preparedDepth() const { return preparedDepth_; }

  // The inset's weight t milliseconds into the inset mode: up over 1.5 s, 0.5, down after 4.5 s.
  static double pulse(uint32_t t);

private:
  void buildScenes();

  FrameHost host_;

  // Scene 2 shares scene 1's frame, so it is declared after it and destroyed first.
  std::unique_ptr<Scene> scene1_;
  std::unique_ptr<Scene> scene2_;
  int32_t preparedDepth_ = 0;
  int32_t appliedMode_ = 0;
  uint32_t modeStart_ = 0;
};

}  // namespace lumiscene
