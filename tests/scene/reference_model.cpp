// The reference model of the frame driver: every rule written out the plain
// way, one pixel and one value at a time, in the order the engine is meant to
// apply them. Speed does not matter here; being easy to check by eye does.
#include "tests/scene/reference_model.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace lumiscene::reference {

namespace {

uint32_t clampChannel(int32_t v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); }

// Pulls a product 0.1 toward zero, then truncates it.
int32_t shrink(double v) {
  if (v > 0.1) v = v - 0.1;
  if (v < -0.1) v = v + 0.1;
  return static_cast<int32_t>(v);
}

std::vector<int32_t> weightTable(double w) {
  std::vector<int32_t> table(256);
  for (int32_t i = 0; i < 256; ++i) table[i] = shrink(i * w);
  return table;
}

// Brings a phase sum into 0 ... b - 1; a negative sum counts back from b.
int32_t wrap(int32_t a, int32_t b) {
  if (a < 0) a = b - ((-a) % b);
  if (a >= b) a = a % b;
  return a;
}

struct Span {
  int32_t b0, b1;
};

Span place(Axis& axis, int32_t i, bool regeneratePhases) {
  if (regeneratePhases)
    axis.phases[i] = static_cast<float>(static_cast<double>(nextRandom(axis.phaseState)) / 65536.0);
  const int32_t v = static_cast<int32_t>(static_cast<double>(axis.phases[i]) + axis.position);
  const int32_t p = wrap(v, axis.period) + axis.start;
  return {std::max(p, axis.low), std::min(p + axis.blockSize - 1, axis.high)};
}

int32_t drawJitter(Axis& axis, int32_t i, bool regenerateJitter) {
  if (regenerateJitter) {
    axis.jitter[i] = static_cast<int16_t>(axis.jitterMin);
    const int32_t n = axis.jitterMax - axis.jitterMin + 1;
    if (n > 1)
      axis.jitter[i] =
          static_cast<int16_t>(static_cast<int32_t>(nextRandom16(axis.jitterState) % n) + axis.jitterMin);
  }
  return axis.jitter[i];
}

// The shifted twin of span b along one axis; false when the instance is skipped.
bool shiftSpan(const Axis& axis, int32_t j, Span& b, Span& s) {
  s = {b.b0 + j, b.b1 + j};
  if (j > 0) {
    if (s.b0 > axis.high) return false;
    if (s.b1 > axis.high) {
      const int32_t over = s.b1 - axis.high;
      s.b1 -= over;
      b.b1 -= over;
    }
  }
  if (j < 0) {
    if (s.b1 < axis.low) return false;
    if (s.b0 < axis.low) {
      const int32_t under = axis.low - s.b0;
      s.b0 += under;
      b.b0 += under;
    }
  }
  return true;
}

}  // namespace

uint32_t nextRandom(uint32_t& state) {
  state = state * 0x6487ED55u + 0x361962E9u;
  return state;
}
uint32_t nextRandom16(uint32_t& state) { return nextRandom(state) >> 16; }
uint32_t nextRandom8(uint32_t& state) { return nextRandom(state) >> 24; }

void blit(Picture& dst, int32_t dx, int32_t dy, const Picture& src, int32_t sx0, int32_t sy0, int32_t sx1,
          int32_t sy1) {
  for (int32_t k = 0; sy0 + k <= sy1; ++k)
    for (int32_t m = 0; sx0 + m <= sx1; ++m) dst.at(dx + m, dy + k) = src.at(sx0 + m, sy0 + k);
}

void blendHalf(Picture& dst, int32_t dx, int32_t dy, const Picture& src, int32_t sx0, int32_t sy0,
               int32_t sx1, int32_t sy1) {
  for (int32_t k = 0; sy0 + k <= sy1; ++k)
    for (int32_t m = 0; sx0 + m <= sx1; ++m) {
      const uint32_t s = src.at(sx0 + m, sy0 + k);
      uint32_t& d = dst.at(dx + m, dy + k);
      d = ((s >> 1) & 0x7F7F7Fu) + ((d >> 1) & 0x7F7F7Fu) + (d & 0x010101u);
    }
}

void tileMirrored(Picture& dst, const Picture& src) {
  const int32_t w = src.width, h = src.height;
  for (int32_t y = 0; y < dst.height; ++y) {
    const int32_t t = y / h, r = y % h;
    const int32_t row = t % 2 == 0 ? r : h - 1 - r;
    for (int32_t x = 0, k = 0; x < dst.width; x += w, ++k) {
      const int32_t n = std::min(w, dst.width - x);
      for (int32_t j = 0; j < n; ++j) {
        if (k % 2 == 0)
          dst.at(x + j, y) = src.at(j, row);
        else
          dst.at(x + n - 1 - j, y) = src.at(j, row);
      }
    }
  }
}

uint32_t addNoise(Picture& picture, int32_t level, uint32_t seed) {
  if (level < -7) return seed;
  if (level > 0) level = 0;
  const int32_t s = -level;
  const int32_t bias = ((1 << (8 - s)) - 1) / 2;
  for (int32_t y = 0; y < picture.height; ++y)
    for (int32_t x = 0; x < picture.width; ++x) {
      const int32_t n = static_cast<int32_t>(nextRandom8(seed) >> s) - bias;
      const uint32_t p = picture.at(x, y);
      const uint32_t r = clampChannel(static_cast<int32_t>((p >> 16) & 0xFF) + n);
      const uint32_t g = clampChannel(static_cast<int32_t>((p >> 8) & 0xFF) + n);
      const uint32_t b = clampChannel(static_cast<int32_t>(p & 0xFF) + n);
      picture.at(x, y) = (r << 16) | (g << 8) | b;
    }
  return seed;
}

void Model::preparePictures() {
  if (displayDepth == preparedDepth_) return;
  if (!prepared1_) {
    prepared1_ = std::make_unique<Picture>(*picture1);
    prepared2_ = std::make_unique<Picture>(*picture2);
  } else {
    // Refreshed in place, and only when the size still matches.
    if (prepared1_->width == picture1->width && prepared1_->height == picture1->height)
      prepared1_->pixels = picture1->pixels;
    if (prepared2_->width == picture2->width && prepared2_->height == picture2->height)
      prepared2_->pixels = picture2->pixels;
  }
  const int32_t level = displayDepth < 24 ? -5 : -8;
  const uint32_t seed = addNoise(*prepared2_, level, 0);
  addNoise(*prepared1_, level, seed);
  preparedDepth_ = displayDepth;
}

Picture* Model::keep(const Picture& copy) {
  images_.push_back(std::make_unique<Picture>(copy));
  return images_.back().get();
}

void Model::buildScenes() {
  scene1_ = std::make_unique<Scene>();
  scene1_->picture = prepared1_.get();

  auto pano = std::make_unique<Layer>();
  pano->axisX.low = 0, pano->axisY.low = 0, pano->axisX.high = 639, pano->axisY.high = 479;
  pano->blend = {1.0, 1.0, 1.0};
  pano->hasPanorama = true;
  scene1_->layers.push_back(std::move(pano));

  auto shimmer = std::make_unique<Layer>();
  shimmer->density = 1.0;
  shimmer->axisX.speed = 20.0, shimmer->axisX.blockSize = 4;
  shimmer->axisX.jitterMin = -1, shimmer->axisX.jitterMax = 1;
  shimmer->axisY.speed = 0.0, shimmer->axisY.blockSize = 8;
  shimmer->axisY.jitterMin = -1, shimmer->axisY.jitterMax = 1;
  shimmer->axisX.low = 0, shimmer->axisY.low = 0, shimmer->axisX.high = 639, shimmer->axisY.high = 479;
  shimmer->hasDisplace = true;
  shimmer->effect = {true, true, 1};
  scene1_->layers.push_back(std::move(shimmer));

  uint32_t seedCounter = clockMs;
  attach(*scene1_, seedCounter);
  frame_ = scene1_->frame;

  scene2_ = std::make_unique<Scene>();
  scene2_->frame = frame_;
  scene2_->picture = prepared2_.get();
  auto inset = std::make_unique<Layer>();
  inset->axisX.low = 50, inset->axisY.low = 50, inset->axisX.high = 589, inset->axisY.high = 429;
  scene2_->layers.push_back(std::move(inset));
  attach(*scene2_, seedCounter);
}

void Model::attach(Scene& scene, uint32_t& seedCounter) {
  for (auto& layer : scene.layers) {
    const uint32_t c = seedCounter;
    layer->axisX.phaseState = c, layer->axisX.jitterState = c + 2;
    layer->axisY.phaseState = c + 4, layer->axisY.jitterState = c + 6;
    seedCounter = c + 8;
    layer->frame = scene.frame, layer->picture = scene.picture;
    layer->scratchA = scene.scratchA, layer->scratchB = scene.scratchB;
    if (layer->hasPanorama) {
      auto panorama = std::make_unique<Panorama>();
      panorama->window = *layer->picture;
      panorama->tiles = Picture(3 * layer->picture->width, 3 * layer->picture->height, 0);
      tileMirrored(panorama->tiles, panorama->window);
      layer->panorama = std::move(panorama);
      layer->picture = &layer->panorama->window;
      scene.picture = layer->picture;
    }
    if (!layer->frame) layer->frame = scene.frame = keep(*layer->picture);
    if (layer->hasDisplace) {
      if (!layer->scratchA) layer->scratchA = keep(*layer->picture);
      if (!layer->scratchB) layer->scratchB = keep(*layer->picture);
      scene.scratchA = layer->scratchA, scene.scratchB = layer->scratchB;
    }
  }
}

bool Model::step(Scene& scene) {
  if (!scene.enabled) return false;
  if (!scene.restart && !scene.continuous) return false;
  update(scene);
  scene.restart = false;
  return true;
}

void Model::update(Scene& scene) {
  const uint32_t now = clockMs;
  const uint32_t dtMs = now - scene.lastUpdateMs;
  scene.lastUpdateMs = now;
  const double dt = dtMs * 0.001;
  double shiftX = 0.0, shiftY = 0.0;
  for (auto& layer : scene.layers) {
    updateLayer(*layer, dt, shiftX, shiftY);
    renderLayer(*layer, scene.restart);
  }
}

void Model::updateLayer(Layer& layer, double dt, double& shiftX, double& shiftY) {
  if (layer.panorama && layer.hasPanorama) {
    Panorama& p = *layer.panorama;
    shiftX = p.pendingDx - dt * p.driftX;
    shiftY = p.pendingDy - dt * p.driftY;
    scroll(p, shiftX, shiftY);
    p.pendingDx = 0, p.pendingDy = 0;
  }
  layer.axisX.position = dt * layer.axisX.speed + layer.axisX.position - shiftX;
  layer.axisY.position = dt * layer.axisY.speed + layer.axisY.position - shiftY;
}

void Model::scroll(Panorama& p, double sx, double sy) {
  const int32_t w = p.window.width, h = p.window.height;
  p.offsetX += sx;
  if (p.offsetX < 0) p.offsetX = 2.0 * w - std::fmod(-p.offsetX, 2.0 * w);
  if (p.offsetX >= 2.0 * w) p.offsetX = std::fmod(p.offsetX, 2.0 * w);
  p.offsetY += sy;
  if (p.offsetY < 0) p.offsetY = 2.0 * h - std::fmod(-p.offsetY, 2.0 * h);
  if (p.offsetY >= 2.0 * h) p.offsetY = std::fmod(p.offsetY, 2.0 * h);
  const int32_t ix = static_cast<int32_t>(p.offsetX), iy = static_cast<int32_t>(p.offsetY);
  if (drawPixels) blit(p.window, 0, 0, p.tiles, ix, iy, ix + w - 1, iy + h - 1);
}

void Model::renderLayer(Layer& layer, bool regenerate) {
  if (layer.hasDisplace) renderDisplaceOnly(layer, regenerate);
  applyBlend(layer.blend, *layer.frame, *layer.picture, layer.axisX.low, layer.axisY.low, layer.axisX.high,
             layer.axisY.high);
}

void Model::renderDisplaceOnly(Layer& layer, bool regenerate) {
  Axis& ax = layer.axisX;
  Axis& ay = layer.axisY;
  ax.start = ax.low - ax.blockSize + 1, ax.period = ax.high + ax.blockSize - ax.low;
  ay.start = ay.low - ay.blockSize + 1, ay.period = ay.high + ay.blockSize - ay.low;
  const int32_t count = static_cast<int32_t>(static_cast<double>(ay.period) * ax.period * layer.density /
                                             (static_cast<double>(ay.blockSize) * ax.blockSize));
  bool regeneratePhases = regenerate, regenerateJitter = regenerate;
  if (count > static_cast<int32_t>(ax.phases.size())) {
    const size_t n = static_cast<size_t>(std::max(count, 1));
    if (ax.phases.size() < n) ax.phases.assign(n, 0.0f);
    if (ay.phases.size() < n) ay.phases.assign(n, 0.0f);
    regeneratePhases = true;
  }
  if (count > static_cast<int32_t>(ax.jitter.size())) {
    const size_t n = static_cast<size_t>(std::max(count, 1));
    if (ax.jitter.size() < n) ax.jitter.assign(n, 0);
    if (ay.jitter.size() < n) ay.jitter.assign(n, 0);
    regenerateJitter = true;
  }
  // Without pixel work and without new random values the loop changes nothing.
  if (!drawPixels && !regeneratePhases && !regenerateJitter) return;
  Picture& f = *layer.frame;
  for (int32_t i = 0; i < count; ++i) {
    Span bx = place(ax, i, regeneratePhases);
    Span by = place(ay, i, regeneratePhases);
    const int32_t jx = drawJitter(ax, i, regenerateJitter);
    const int32_t jy = drawJitter(ay, i, regenerateJitter);
    Span sx{}, sy{};
    const bool keepX = shiftSpan(ax, jx, bx, sx);
    const bool keepY = shiftSpan(ay, jy, by, sy);
    if (!keepX || !keepY || !drawPixels) continue;

    const Displace& e = layer.effect;
    const Picture* source = layer.picture;
    if (e.snapshot) {
      blit(*layer.scratchA, bx.b0, by.b0, f, bx.b0, by.b0, bx.b1, by.b1);
      source = layer.scratchA;
    }
    auto move = [&](const Picture& from, int32_t dx, int32_t dy, int32_t x0, int32_t y0, int32_t x1,
                    int32_t y1) {
      if (e.mode == 0)
        blit(f, dx, dy, from, x0, y0, x1, y1);
      else
        blendHalf(f, dx, dy, from, x0, y0, x1, y1);
    };
    assert(e.mode == 0 || e.mode == 1);
    if (e.swap) {
      blit(*layer.scratchB, sx.b0, sy.b0, f, sx.b0, sy.b0, sx.b1, sy.b1);
      move(*source, sx.b0, sy.b0, bx.b0, by.b0, bx.b1, by.b1);
      move(*layer.scratchB, bx.b0, by.b0, sx.b0, sy.b0, sx.b1, sy.b1);
    } else {
      move(*source, sx.b0, sy.b0, bx.b0, by.b0, bx.b1, by.b1);
    }
  }
}

void Model::applyBlend(const Blend& blend, Picture& frame, const Picture& picture, int32_t x0, int32_t y0,
                       int32_t x1, int32_t y1) {
  const double r = blend.weightR, g = blend.weightG, b = blend.weightB;
  if (!drawPixels || (r == 0 && g == 0 && b == 0)) return;
  if (r == 1.0 && g == 1.0 && b == 1.0) return blit(frame, x0, y0, picture, x0, y0, x1, y1);
  if (r == 0.5 && g == 0.5 && b == 0.5) return blendHalf(frame, x0, y0, picture, x0, y0, x1, y1);

  // The weight set is filled with 1 - r, r, 1 - g, g, 1 - b, b.
  const std::vector<int32_t> takeR = weightTable(r), takeG = weightTable(g), takeB = weightTable(b);
  const std::vector<int32_t> keepR = weightTable(1 - r), keepG = weightTable(1 - g),
                             keepB = weightTable(1 - b);
  std::vector<int32_t> keepRedShifted(256), takeRedShifted(256);
  for (int32_t i = 0; i < 256; ++i) {
    keepRedShifted[i] = static_cast<int32_t>(clampChannel(keepR[i]) << 16);
    takeRedShifted[i] = static_cast<int32_t>(clampChannel(takeR[i]) << 16);
  }
  std::vector<uint16_t> keepGreenBlue(65536), takeGreenBlue(65536);
  for (int32_t j = 0; j < 65536; ++j) {
    keepGreenBlue[j] =
        static_cast<uint16_t>((clampChannel(keepG[j >> 8]) << 8) | clampChannel(keepB[j & 0xFF]));
    takeGreenBlue[j] =
        static_cast<uint16_t>((clampChannel(takeG[j >> 8]) << 8) | clampChannel(takeB[j & 0xFF]));
  }
  for (int32_t y = y0; y <= y1; ++y)
    for (int32_t x = x0; x <= x1; ++x) {
      const uint32_t s = picture.at(x, y);
      uint32_t& d = frame.at(x, y);
      d = (static_cast<uint32_t>(takeGreenBlue[s & 0xFFFF]) + keepGreenBlue[d & 0xFFFF]) |
          static_cast<uint32_t>(keepRedShifted[d >> 16] + takeRedShifted[s >> 16]);
    }
}

bool Model::advanceFrame() {
  clockMs += appActive ? 10 : 100;
  if (!scene1_) {
    buildScenes();
    scene1_->enabled = true, scene1_->restart = true, scene1_->continuous = true;
    modeStart_ = clockMs;
  }
  const uint32_t now = clockMs;
  const int32_t elapsed = static_cast<int32_t>(now - modeStart_) / 1000;
  const int32_t limit = insetMode == 1 ? 6 : 30;
  if (limit - elapsed <= 0 && appliedMode_ == insetMode) insetMode = 1 - insetMode;
  if (appliedMode_ != insetMode) {
    appliedMode_ = insetMode;
    scene2_->enabled = insetMode != 0;
    if (scene2_->enabled) scene2_->restart = true, scene2_->continuous = true;
    modeStart_ = clockMs;
  }

  int32_t dx = 0, dy = 0;
  if (pointerReadable) {
    dx = -(pointerX - lastCursorX_) * 2;
    dy = -(pointerY - lastCursorY_) * 0;
    lastCursorX_ = pointerX, lastCursorY_ = pointerY;
  }
  if (!appActive) dx = dy = 0;
  Panorama& p = *scene1_->layers[0]->panorama;
  p.driftX = 0.0, p.driftY = 0.0, p.pendingDx = dx, p.pendingDy = dy;

  const bool changed = step(*scene1_);
  if (insetMode == 0) return changed;

  const uint32_t t = clockMs - modeStart_;
  const double x = t * 0.000333;
  const double v = x < 0.5 ? x : x < 1.5 ? 0.5 : 2.0 - x;
  scene2_->layers[0]->blend = {v, v, 1.5 * v};
  const bool changed2 = step(*scene2_);
  return changed || changed2;
}

}  // namespace lumiscene::reference
