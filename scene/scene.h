// Scenes and their layers: the animated compositions.
//
// A Scene draws up to 16 Layers in slot order into one shared frame Image. A
// Layer places a cloud of small blocks (instances) over its placement
// rectangle, moves them along two Axis records at a speed in pixels per second,
// applies its effects to every block (renderers.cpp) and finally cross-fades its
// picture into the frame through its ColourBlend. A layer may own a Panorama:
// the picture tiled 3 x 3 with every other tile mirrored, from which a
// picture-sized window is cut every frame, so that pointer movement pans the
// picture endlessly.
//
// Images are shared by pointer. The pictures belong to whoever set the scene
// up; the frame and the scratch images that attach creates belong to the scene
// that created them, and a panorama owns its window and its tile. A scene that
// shares another scene's frame must be destroyed first.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "scene/block_kernels.h"
#include "scene/effects.h"
#include "scene/image.h"

namespace lumiscene {

// Motion and placement of a layer's blocks along one direction.
struct Axis {
  // position = dt x speed + position - shift, with dt in seconds.
  void advance(double dt, double shift);

  std::vector<float> phases{0.0f};  // per-instance random phase
  std::vector<int16_t> jitter{0};   // per-instance shift of the block's twin
  uint32_t phaseState = 0;          // generator states, seeded at attach
  uint32_t jitterState = 0;
  int32_t start = 0;   // low - blockSize + 1, refreshed before every render
  int32_t period = 0;  // high + blockSize - low, refreshed before every render
  int32_t low = 0;     // inclusive placement range
  int32_t high = 0;
  double position = 0.0;  // running offset in pixels
  double speed = 0.0;     // pixels per second
  int32_t blockSize = 1;
  int32_t jitterMin = 0;  // inclusive range of the per-instance jitter
  int32_t jitterMax = 0;
};

// A picture that pans endlessly: the window shows a picture-sized part of the
// 3 x 3 mirror tiling, at an offset kept in [0, 2 width) x [0, 2 height).
class Panorama {
public:
  // window and tile are copies of picture.
  explicit Panorama(const Image& picture);

  void setMotion(double newDriftX, double newDriftY, int32_t dx, int32_t dy);
  // Turns the pending pointer shift and the drift over dt into the shifts it
  // scrolls by, writes them to the caller's variables and clears the pending shift.
  // With a target the view goes there rather than into the window (scrollInto).
  void advance(double dt, double& shiftX, double& shiftY, Image* target = nullptr);
  // Moves the window by (sx, sy) and refreshes it from the tiling.
  void scroll(double sx, double sy);
  // Moves the window the same way but writes the view into target at (0, 0)
  // instead; the window keeps older content until a scroll refreshes it.
  void scrollInto(Image& target, double sx, double sy);
  // The part of the tiling shown now: the window, brought up to date first.
  const Image& view() const;

  // The part of the tiling whose top-left corner is (x, y), written into
  // target's top-left corner (at least the window's size); x and y are not negative.
  void cutView(Image& target, int32_t x, int32_t y) const;

  std::unique_ptr<Image> window;
  // The tiling's top-left tile. The others are this one mirrored sideways in
  // odd columns and upside down in odd rows (Image::tileMirrored), so that
  // every seam joins equal pixels. The view is cut from the one tile with
  // mirrored indexing: the whole 3 x 3 tiling (11 MB for a 640 x 480 picture)
  // would be read a frame at a time from far outside the caches.
  std::unique_ptr<Image> tile;
  double driftX = 0.0;
  double driftY = 0.0;
  int32_t pendingDx = 0;
  int32_t pendingDy = 0;
  double offsetX = 0.0;
  double offsetY = 0.0;

private:
  // The window lags behind the view since scrollInto wrote elsewhere; the view's corner in the tiling.
  mutable bool windowBehind_ = false;
  int32_t viewX_ = 0;
  int32_t viewY_ = 0;
};

using ImageStore = std::vector<std::unique_ptr<Image>>;

class Layer {
public:
  static constexpr int32_t effectSlots = 8;

  void setPlacement(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  // Slots 0..7 replace (and destroy) the effect there; any other slot destroys the effect.
  void setEffect(std::unique_ptr<Effect> effect, int32_t slot);

  // Seeds both axes from the counter (advancing it by 8), takes the scene's
  // images and fills in the missing ones: the panorama's window becomes the
  // picture of this and every later layer, the first layer without a frame
  // creates it, and a layer with a Displace effect creates the scratch images.
  // Images it creates go into store; the scene's pointers are updated in place.
  void attach(uint32_t& seedCounter, Image*& sceneFrame, Image*& scenePicture, Image*& sceneScratchA,
              Image*& sceneScratchB, ImageStore& store);
  // Advances the panorama (which overwrites the shared shifts) and both axes.
  // With viewIntoFrame set the panorama scrolls straight into the frame.
  void update(double dt, double& shiftX, double& shiftY);
  // Draws the blocks with the renderer the effects call for, then the blend stage.
  void render(bool regenerate);
  // trunc(periodY x periodX x density / (blockSizeY x blockSizeX)); refreshes start and period.
  int32_t instanceCount();

  void renderDisplaceOnly(bool regenerate);
  void renderPlain(bool regenerate);
  void renderShifted(bool regenerate);

  // The effects in use: the slots up to the first empty one.
  int32_t effectCount() const;
  // Whether the blend stage only copies the whole panorama window unchanged into the frame.
  bool copiesWholeView() const;
  // Whether drawing this layer reads its picture (rather than the frame and its scratch images only).
  bool readsPicture() const;

  double density = 0.0;
  Axis axisX;
  Axis axisY;
  int32_t hasPanorama = 0;
  std::unique_ptr<Panorama> panorama;
  ColourBlend blend;
  Image* frame = nullptr;
  Image* picture = nullptr;
  Image* scratchA = nullptr;
  Image* scratchB = nullptr;
  std::array<std::unique_ptr<Effect>, effectSlots> effects;
  // Set by the scene for one pass: the panorama writes the frame, so the blend stage's copy is left out.
  bool viewIntoFrame = false;
  // The block list of the last render that used one (frame indexes and
  // shape words); grows with the instance count and is reused, so rendering
  // does not allocate.
  std::vector<int32_t> blockIndexes;
  std::vector<uint32_t> blockShapes;

private:
  struct Rect {
    int32_t x0, y0, x1, y1;
  };
  struct Prepared {
    int32_t count;
    bool regeneratePhases;
    bool regenerateJitter;
    bool drawable;
  };

  Prepared prepare(bool regenerate, bool withJitter, bool needsScratch);
  bool listsBlocks(const DisplaceEffect& effect) const;
  bool placementInside(const Image* image) const;
  void displace(const DisplaceEffect& effect, const Rect& block, const Rect& shifted);
  bool displaceInPlace(const DisplaceEffect& effect, const Rect& block, const Rect& shifted);
  void moveRect(int32_t mode, const WeightSet& weights, const Image& source, const Rect& from, int32_t dx,
                int32_t dy);
  void applyLogic(const LogicEffect& effect, const Rect& area);
  void applyMap(const ColourMapEffect& effect, const Rect& area);
};

class Scene {
public:
  static constexpr int32_t layerSlots = 16;

  Scene(Image* frameImage, Image* pictureImage);

  // Slots 0..15 replace (and destroy) the layer there; any other slot destroys the layer.
  void setLayer(std::unique_ptr<Layer> layer, int32_t slot);
  // Attaches every layer in slot order; called once, after all layers are placed.
  void attach(uint32_t& seedCounter);
  // Enabling also asks for a restart (fresh random placement) and sets continuous.
  void setActive(int32_t enable, int32_t continuousFlag);
  // Updates when enabled and either restarting or continuous; true if it did.
  bool step();
  // One pass: every layer is advanced by the time since the last pass, then drawn.
  void update();

  Image* picture;
  Image* frame;
  Image* scratchA = nullptr;
  Image* scratchB = nullptr;
  std::array<std::unique_ptr<Layer>, layerSlots> layers;
  int32_t enabled = 0;
  int32_t restart = 0;
  int32_t continuous = 0;
  uint32_t lastUpdateMs = 0;
  int32_t renderMs = 0;
  // Milliseconds, wrapping at 2^32; without a clock no time passes.
  std::function<uint32_t()> clock;

private:
  ImageStore createdImages_;  // the frame and scratch images this scene's attach created
  bool attached_ = false;
};

}  // namespace lumiscene
