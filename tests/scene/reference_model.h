// A second, independent model of the frame driver and of the parts of the
// scene engine its two compositions use, written plainly (one pixel at a
// time, one rule per line) so that it can be trusted as the yardstick the real
// engine's frames are compared with byte for byte.
//
// It shares no code with scene/: it has its own picture type, its own copy of
// the random steps and its own clock, which moves only by the frame's sleep,
// exactly as the headless clock does under the real driver. Its inputs mirror
// the real driver's (activity, display depth, the two pictures, the pointer,
// the switching key) and are set by the test beside the real ones.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace lumiscene::reference {

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;

  Picture() = default;
  Picture(int32_t w, int32_t h, uint32_t colour)
      : width(w), height(h), pixels(static_cast<size_t>(w) * h, colour & 0xFFFFFFu) {}
  uint32_t& at(int32_t x, int32_t y) { return pixels[static_cast<size_t>(y) * width + x]; }
  uint32_t at(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

uint32_t nextRandom(uint32_t& state);
uint32_t nextRandom16(uint32_t& state);
uint32_t nextRandom8(uint32_t& state);

void blit(Picture& dst, int32_t dx, int32_t dy, const Picture& src, int32_t sx0, int32_t sy0, int32_t sx1,
          int32_t sy1);
void blendHalf(Picture& dst, int32_t dx, int32_t dy, const Picture& src, int32_t sx0, int32_t sy0,
               int32_t sx1, int32_t sy1);
void tileMirrored(Picture& dst, const Picture& src);
uint32_t addNoise(Picture& picture, int32_t level, uint32_t seed);

struct Axis {
  std::vector<float> phases = {0.0f};
  std::vector<int16_t> jitter = {0};
  uint32_t phaseState = 0;
  uint32_t jitterState = 0;
  int32_t start = 0;
  int32_t period = 0;
  int32_t low = 0;
  int32_t high = 0;
  double position = 0.0;
  double speed = 0.0;
  int32_t blockSize = 1;
  int32_t jitterMin = 0;
  int32_t jitterMax = 0;
};

struct Panorama {
  Picture window;
  Picture tiles;
  double driftX = 0.0;
  double driftY = 0.0;
  int32_t pendingDx = 0;
  int32_t pendingDy = 0;
  double offsetX = 0.0;
  double offsetY = 0.0;
};

// The cross-fade of a layer's picture into the frame. Its tables always
// belong to the last weights other than all 0, all 1 or all 0.5, which are then
// also the stored ones, so the model builds them from the stored weights when
// it draws.
struct Blend {
  double weightR = 0.0;
  double weightG = 0.0;
  double weightB = 0.0;
};

// Only the Displace kind is used by the two compositions.
struct Displace {
  bool snapshot = false;
  bool swap = false;
  int32_t mode = 0;  // 0 Copy, 1 Half
};

struct Layer {
  double density = 0.0;
  Axis axisX, axisY;
  bool hasPanorama = false;
  std::unique_ptr<Panorama> panorama;
  Blend blend;
  bool hasDisplace = false;
  Displace effect;
  Picture* frame = nullptr;
  Picture* picture = nullptr;
  Picture* scratchA = nullptr;
  Picture* scratchB = nullptr;
};

struct Scene {
  Picture* frame = nullptr;
  Picture* picture = nullptr;
  Picture* scratchA = nullptr;
  Picture* scratchB = nullptr;
  std::vector<std::unique_ptr<Layer>> layers;  // slot order
  bool enabled = false;
  bool restart = false;
  bool continuous = false;
  uint32_t lastUpdateMs = 0;
};

class Model {
 public:
  // Inputs, set by the test beside the real program's.
  bool appActive = false;
  int32_t displayDepth = 0;
  const Picture* picture1 = nullptr;
  const Picture* picture2 = nullptr;
  int32_t pointerX = 0;
  int32_t pointerY = 0;
  bool pointerReadable = true;
  int32_t insetMode = 0;  // the switching key flips it

  uint32_t clockMs = 0;  // moves only by the frame's sleep

  // While false, the pixel work of the frame (panorama window, blend stages and
  // block moves) is left out and only the state moves on. Every frame redraws
  // the whole frame from the panorama window, so frames drawn later are
  // unaffected; the frame of an undrawn step is not meaningful.
  bool drawPixels = true;

  void preparePictures();
  bool advanceFrame();

  const Picture* frameImage() const { return frame_; }
  const Picture* preparedPicture1() const { return prepared1_.get(); }
  const Picture* preparedPicture2() const { return prepared2_.get(); }
  int32_t appliedMode() const { return appliedMode_; }
  uint32_t modeStart() const { return modeStart_; }
  int32_t lastCursorX() const { return lastCursorX_; }
  int32_t lastCursorY() const { return lastCursorY_; }
  const Scene* scene1() const { return scene1_.get(); }
  const Scene* scene2() const { return scene2_.get(); }

 private:
  void buildScenes();
  void attach(Scene& scene, uint32_t& seedCounter);
  bool step(Scene& scene);
  void update(Scene& scene);
  void updateLayer(Layer& layer, double dt, double& shiftX, double& shiftY);
  void renderLayer(Layer& layer, bool regenerate);
  void renderDisplaceOnly(Layer& layer, bool regenerate);
  void scroll(Panorama& panorama, double sx, double sy);
  void applyBlend(const Blend& blend, Picture& frame, const Picture& picture, int32_t x0, int32_t y0,
                  int32_t x1, int32_t y1);
  Picture* keep(const Picture& copy);

  std::vector<std::unique_ptr<Picture>> images_;  // frame and scratch images made at attach
  std::unique_ptr<Picture> prepared1_, prepared2_;
  int32_t preparedDepth_ = 0;
  std::unique_ptr<Scene> scene1_, scene2_;
  Picture* frame_ = nullptr;
  int32_t appliedMode_ = 0;
  uint32_t modeStart_ = 0;
  int32_t lastCursorX_ = 0;
  int32_t lastCursorY_ = 0;
};

}  // namespace lumiscene::reference
