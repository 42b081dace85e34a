// The frame driver: picture preparation, the two compositions and the
// per-frame decisions (mode timer, key, pointer panning, inset pulse).
#include "scene/frame_driver.h"


namespace lumiscene {

namespace {

// Noise levels of the prepared pictures: shallow displays band visibly
// without a little dither; deep ones get exact copies.
constexpr int32_t shallowNoiseLevel = -5;
constexpr int32_t noNoiseLevel = -8;
constexpr int32_t deepDisplayDepth = 24;

void refreshCopy(std::unique_ptr<Image>& copy, const Image& original) {
  if (!copy) {
    copy = std::make_unique<Image>(original);
  } else {
    copy->copyPixels(original);
  }
}

// The product of a pointer movement and a pan factor, wrapped to 32 bits as
// the movement itself would be.
int32_t panShift(int32_t position, int32_t last, int32_t factor) {
  const int64_t moved = int64_t{position} - last;
  return static_cast<int32_t>(static_cast<uint32_t>(-moved * factor));
}

}  // namespace

FrameDriver::FrameDriver(FrameHost host) : host_(std::move(host)) {
  if (!host_.milliseconds) host_.milliseconds = [] { return uint32_t{0}; };
  if (!host_.sleep) host_.sleep = [](uint32_t) {};
  if (!host_.readPointer) host_.readPointer = [](CursorPosition&) { return false; };
}

void FrameDriver::preparePictures(const FrameInputs& inputs) {
  if (inputs.displayDepth == preparedDepth_) return;
  if (inputs.picture1 == nullptr || inputs.picture2 == nullptr) return;
  refreshCopy(preparedPicture1, *inputs.picture1);
  refreshCopy(preparedPicture2, *inputs.picture2);
  const int32_t level = inputs.displayDepth < deepDisplayDepth ? shallowNoiseLevel : noNoiseLevel;
  // The seed restarts at 0, so the same depth always yields the same noise.
  const uint32_t seed = preparedPicture2->addNoise(level, 0);
  preparedPicture1->addNoise(level, seed);
  preparedDepth_ = inputs.displayDepth;
}

void FrameDriver::buildScenes() {
  DisplaceEffect shimmerEffect;

  scene1_ = std::make_unique<Scene>(frameImage, preparedPicture1.get());
  scene1_->clock = host_.milliseconds;

  auto panoramaLayer = std::make_unique<Layer>();
  panoramaLayer->setPlacement(0, 0, 639, 479);
  panoramaLayer->blend.setWeights(1.0, 1.0, 1.0);
  panoramaLayer->hasPanorama = 1;
  panoramaLayer->density = 0.0;
  scene1_->setLayer(std::move(panoramaLayer), 0);

  auto shimmerLayer = std::make_unique<Layer>();
  shimmerLayer->density = 1.0;
  shimmerLayer->axisX.speed = 20.0;
  shimmerLayer->axisX.blockSize = 4;
  shimmerLayer->axisX.jitterMin = -1;
  shimmerLayer->axisX.jitterMax = 1;
  shimmerLayer->axisY.speed = 0.0;
  shimmerLayer->axisY.blockSize = 8;
  shimmerLayer->axisY.jitterMin = -1;
  shimmerLayer->axisY.jitterMax = 1;
  shimmerLayer->setPlacement(0, 0, 639, 479);
  shimmerEffect.snapshot = 1;
  shimmerEffect.swap = 1;
  shimmerEffect.mode = DisplaceMode::Half;
  shimmerLayer->setEffect(std::make_unique<DisplaceEffect>(shimmerEffect), 0);
  scene1_->setLayer(std::move(shimmerLayer), 1);

  uint32_t seedCounter = host_.milliseconds();
  scene1_->attach(seedCounter);
  frameImage = scene1_->frame;

  scene2_ = std::make_unique<Scene>(frameImage, preparedPicture2.get());
  scene2_->clock = host_.milliseconds;
  auto insetLayer = std::make_unique<Layer>();
  insetLayer->setPlacement(50, 50, 589, 429);
  insetLayer->density = 0.0;
  scene2_->setLayer(std::move(insetLayer), 0);
  scene2_->attach(seedCounter);
}

double FrameDriver::pulse(uint32_t t) {
  const double x = t * 0.000333;
  if (x < 0.5) return x;
  if (x < 1.5) return 0.5;
  return 2.0 - x;
}

bool FrameDriver::advanceFrame(const FrameInputs& inputs) {
  host_.sleep(idleSleepMs[inputs.active ? 0 : 1]);

  if (!scene1_) {
    // Nothing to build from until preparePictures has run with the pictures loaded.
    if (!preparedPicture1 || !preparedPicture2) return false;
    buildScenes();
    scene1_->setActive(1, 1);
    modeStart_ = host_.milliseconds();
  }

  const uint32_t now = host_.milliseconds();
  const int32_t elapsedSeconds = static_cast<int32_t>(now - modeStart_) / 1000;
  const int32_t limit = insetMode == 1 ? insetSeconds : sceneSeconds;
  if (limit - elapsedSeconds <= 0 && appliedMode_ == insetMode) insetMode = insetMode == 0 ? 1 : 0;

  // Whether the timer or the switching key changed the mode, a fresh period starts.
  if (appliedMode_ != insetMode) {
    appliedMode_ = insetMode;
    scene2_->setActive(insetMode, 1);
    modeStart_ = host_.milliseconds();
  }

  int32_t dx = 0;
  int32_t dy = 0;
  CursorPosition point;
  if (host_.readPointer(point)) {
    dx = panShift(point.x, lastCursor.x, panFactorX);
    dy = panShift(point.y, lastCursor.y, panFactorY);
    lastCursor.x = point.x;
    lastCursor.y = point.y;
  }
  // An inactive window still tracks the pointer, so that reactivating it does not jump.
  if (!inputs.active) {
    dx = 0;
    dy = 0;
  }
  const Layer* panoramaLayer = scene1_->layers[0].get();
  if (panoramaLayer != nullptr && panoramaLayer->panorama) {
    panoramaLayer->panorama->setMotion(0.0, 0.0, dx, dy);
  }

  const bool changed = scene1_->step();
  frameRenderMs = scene1_->renderMs;
  if (insetMode == 0) return changed;

  const double v = pulse(host_.milliseconds() - modeStart_);
  if (Layer* inset = scene2_->layers[0].get()) inset->blend.setWeights(v, v, 1.5 * v);
  const bool changed2 = scene2_->step();
  frameRenderMs += scene2_->renderMs;
  return changed || changed2;
}

}  // namespace lumiscene
