// Scenes, layers, axes and panoramas: set-up, motion and the per-frame pass.
// The block renderers that a layer dispatches to are in renderers.cpp.
#include "scene/scene.h"

#include <cassert>
#include <cmath>

#include "scene/pixel_rows.h"
#include "scene/truncate.h"

namespace lumiscene {

namespace {

// Brings an offset into [0, period): an offset of exactly -period ends at 0.
double wrapOffset(double offset, double period) {
  if (offset < 0) offset = period - std::fmod(-offset, period);
  if (offset >= period) offset = std::fmod(offset, period);
  return offset;
}

}  // namespace

void Axis::advance(double dt, double shift) { position = dt * speed + position - shift; }

Panorama::Panorama(const Image& picture)
    : window(std::make_unique<Image>(picture)), tile(std::make_unique<Image>(picture)) {}

void Panorama::setMotion(double newDriftX, double newDriftY, int32_t dx, int32_t dy) {
  driftX = newDriftX;
  driftY = newDriftY;
  pendingDx = dx;
  pendingDy = dy;
}

void Panorama::advance(double dt, double& shiftX, double& shiftY, Image* target) {
  shiftX = pendingDx - dt * driftX;
  shiftY = pendingDy - dt * driftY;
  scrollInto(target != nullptr ? *target : *window, shiftX, shiftY);
  pendingDx = 0;
  pendingDy = 0;
}

void Panorama::scroll(double sx, double sy) { scrollInto(*window, sx, sy); }

const Image& Panorama::view() const {
  if (windowBehind_) {
    cutView(*window, viewX_, viewY_);
    windowBehind_ = false;
  }
  return *window;
}

void Panorama::scrollInto(Image& target, double sx, double sy) {
  const int32_t w = window->width;
  const int32_t h = window->height;
  if (w <= 0 || h <= 0) return;
  offsetX = wrapOffset(offsetX + sx, 2.0 * w);
  offsetY = wrapOffset(offsetY + sy, 2.0 * h);
  const int32_t ix = truncateToInt32(offsetX);
  const int32_t iy = truncateToInt32(offsetY);
  // A NaN shift would leave the offset outside the tiling; the window then keeps
  // its content, which is the last view shown.
  if (ix < 0 || iy < 0 || ix >= 2 * w || iy >= 2 * h) {
    if (&target != window.get()) target.blit(0, 0, view(), 0, 0, w - 1, h - 1);
    return;
  }
  cutView(target, ix, iy);
  windowBehind_ = &target != window.get();
  viewX_ = ix;
  viewY_ = iy;
}

void Panorama::cutView(Image& target, int32_t x, int32_t y) const {
  const int32_t w = tile->width;
  const int32_t h = tile->height;
  if (w <= 0 || h <= 0) return;
  // A view row crosses at most one seam, between the tile column x lies in
  // and the next; one of the two is mirrored. The first part is w - r pixels
  // long, the second r.
  const int32_t r = x % w;
  const bool firstMirrored = (x / w) % 2 != 0;
  for (int32_t k = 0; k < h; ++k) {
    const int32_t row = y + k;
    const int32_t inTile = row % h;
    const uint32_t* from = tile->pixelAt(0, (row / h) % 2 == 0 ? inTile : h - 1 - inTile);
    uint32_t* to = target.pixelAt(0, k);
    if (firstMirrored) {
      pixel_rows::chosen::reverseRow(to, from, w - r);
      pixel_rows::chosen::copyRow(to + (w - r), from, r);
    } else {
      pixel_rows::chosen::copyRow(to, from + r, w - r);
      pixel_rows::chosen::reverseRow(to + (w - r), from + (w - r), r);
    }
  }
}

void Layer::setPlacement(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  axisX.low = x0;
  axisX.high = x1;
  axisY.low = y0;
  axisY.high = y1;
}

void Layer::setEffect(std::unique_ptr<Effect> effect, int32_t slot) {
  if (!effect) return;
  if (slot >= 0 && slot < effectSlots) effects[slot] = std::move(effect);
}

int32_t Layer::effectCount() const {
  int32_t n = 0;
  while (n < effectSlots && effects[n]) ++n;
  return n;
}

void Layer::attach(uint32_t& seedCounter, Image*& sceneFrame, Image*& scenePicture, Image*& sceneScratchA,
                   Image*& sceneScratchB, ImageStore& store) {
  // Each axis takes four seeds: the first seeds the phases, the third the jitter.
  const uint32_t c = seedCounter;
  axisX.phaseState = c;
  axisX.jitterState = c + 2;
  axisY.phaseState = c + 4;
  axisY.jitterState = c + 6;
  seedCounter = c + 8;

  frame = sceneFrame;
  picture = scenePicture;
  scratchA = sceneScratchA;
  scratchB = sceneScratchB;

  if (hasPanorama && picture != nullptr) {
    // The new panorama is built before the old one goes: on a second attach
    // the picture is the old panorama's window.
    auto rebuilt = std::make_unique<Panorama>(*picture);
    panorama = std::move(rebuilt);
    picture = panorama->window.get();
    scenePicture = picture;
  }

  if (frame == nullptr && picture != nullptr) {
    store.push_back(std::make_unique<Image>(*picture));
    frame = store.back().get();
    sceneFrame = frame;
  }

  bool hasDisplace = false;
  for (int32_t i = 0; i < effectCount(); ++i) hasDisplace |= effects[i]->kind == EffectKind::Displace;
  if (hasDisplace && picture != nullptr) {
    if (scratchA == nullptr) {
      store.push_back(std::make_unique<Image>(*picture));
      scratchA = store.back().get();
    }
    if (scratchB == nullptr) {
      store.push_back(std::make_unique<Image>(*picture));
      scratchB = store.back().get();
    }
    sceneScratchA = scratchA;
    sceneScratchB = scratchB;
  }
}

bool Layer::copiesWholeView() const {
  if (!panorama || !hasPanorama || frame == nullptr || picture != panorama->window.get()) return false;
  if (effectCount() != 0 || blend.weightR != 1.0 || blend.weightG != 1.0 || blend.weightB != 1.0) return false;
  const Image& view = *panorama->window;
  return axisX.low == 0 && axisY.low == 0 && axisX.high == view.width - 1 && axisY.high == view.height - 1 &&
         frame->width >= view.width && frame->height >= view.height;
}

bool Layer::readsPicture() const {
  if (blend.weightR != 0.0 || blend.weightG != 0.0 || blend.weightB != 0.0) return true;
  // A displacement from a snapshot reads only the frame; every other effect may read the picture.
  for (int32_t i = 0; i < effectCount(); ++i) {
    const DisplaceEffect* displace = effects[i]->asDisplace();
    if (effects[i]->kind != EffectKind::Displace || displace == nullptr || displace->snapshot == 0) return true;
  }
  return false;
}

void Layer::update(double dt, double& shiftX, double& shiftY) {
  if (panorama && hasPanorama) panorama->advance(dt, shiftX, shiftY, viewIntoFrame ? frame : nullptr);
  axisX.advance(dt, shiftX);
  axisY.advance(dt, shiftY);
}

void Layer::render(bool regenerate) {
  const int32_t n = effectCount();
  int32_t displaceCount = 0;
  int32_t shiftedCount = 0;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t kind = effects[i]->kind;
    if (kind == EffectKind::Displace) ++displaceCount;
    if (kind == EffectKind::LogicShifted || kind == EffectKind::MapShifted) ++shiftedCount;
  }
  if (n > 0) {
    if (n == 1 && displaceCount == 1) {
      renderDisplaceOnly(regenerate);
    } else if (displaceCount > 0 || shiftedCount > 0) {
      renderShifted(regenerate);
    } else {
      renderPlain(regenerate);
    }
  }
  if (frame != nullptr && picture != nullptr && !viewIntoFrame) {
    blend.apply(*frame, *picture, axisX.low, axisY.low, axisX.high, axisY.high);
  }
}

int32_t Layer::instanceCount() {
  for (Axis* axis : {&axisX, &axisY}) {
    axis->start = static_cast<int32_t>(int64_t{axis->low} - axis->blockSize + 1);
    axis->period = static_cast<int32_t>(int64_t{axis->high} + axis->blockSize - axis->low);
  }
  const double covered = static_cast<double>(axisY.period) * static_cast<double>(axisX.period) * density;
  const double blockArea = static_cast<double>(axisY.blockSize) * static_cast<double>(axisX.blockSize);
  return truncateToInt32(covered / blockArea);
}

Scene::Scene(Image* frameImage, Image* pictureImage) : picture(pictureImage), frame(frameImage) {}

void Scene::setLayer(std::unique_ptr<Layer> layer, int32_t slot) {
  if (!layer) return;
  if (slot >= 0 && slot < layerSlots) layers[slot] = std::move(layer);
}

void Scene::attach(uint32_t& seedCounter) {
  // A second attach would rebuild the panorama from its own window; the scene
  // keeps the images of its first attach instead.
  assert(!attached_ && "a scene is attached once");
  if (attached_) return;
  attached_ = true;
  for (auto& layer : layers) {
    if (layer) layer->attach(seedCounter, frame, picture, scratchA, scratchB, createdImages_);
  }
}

void Scene::setActive(int32_t enable, int32_t continuousFlag) {
  enabled = enable & 0xFF;
  if (enabled != 0) {
    restart = 1;
    continuous = continuousFlag & 0xFF;
  }
}

bool Scene::step() {
  if (enabled == 0) return false;
  if (restart == 0 && continuous == 0) return false;
  update();
  restart = 0;
  return true;
}

void Scene::update() {
  const uint32_t now = clock ? clock() : lastUpdateMs;
  const uint32_t elapsedMs = now - lastUpdateMs;
  lastUpdateMs = now;
  const double dt = elapsedMs * 0.001;
  double shiftX = 0.0;
  double shiftY = 0.0;
  for (int32_t slot = 0; slot < layerSlots; ++slot) {
    Layer* layer = layers[slot].get();
    if (!layer) continue;
    // A panorama whose window only the blend stage copies whole into the frame
    // scrolls into the frame itself: one full-frame pass instead of two.
    bool direct = layer->copiesWholeView();
    for (int32_t later = slot + 1; direct && later < layerSlots; ++later) {
      const Layer* next = layers[later].get();
      direct = next == nullptr || next->picture != layer->picture || !next->readsPicture();
    }
    layer->viewIntoFrame = direct;
    layer->update(dt, shiftX, shiftY);
    layer->render(restart != 0);
  }
  renderMs = clock ? static_cast<int32_t>(clock() - lastUpdateMs) : 0;
}

}  // namespace lumiscene
