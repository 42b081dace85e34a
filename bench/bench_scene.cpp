// Scene engine timings on the headless virtual clock, beside the floor they are
// measured against: one memcpy of a 640 x 480 frame.
//
// BM_SceneShimmer is one step of scene 1 as the frame driver builds it (the
// panorama's view cut from its tile straight into the frame, then the shimmer
// of about 9,800 blocks), the clock advanced 10 ms per step.
// BM_SceneShimmer/<form> is the same step with the kernels in each
// instruction-set form the processor supports. BM_SceneInset is one step of
// scene 2 with new weights every time, more than its table cache keeps, so its
// blend tables are built every step. BM_PreparePictures16 is the preparation
// for a 16-bit display: two picture copies and their noise.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/app_flags.h"
#include "app/clock.h"
#include "cpu/instruction_set.h"
#include "display/display_depth.h"
#include "display/program_frames.h"
#include "pictures/embedded_pictures.h"
#include "platform/portable/headless/headless.h"
#include "scene/image.h"

namespace {

constexpr int32_t frameWidth = 640;
constexpr int32_t frameHeight = 480;

std::unique_ptr<lumiscene::Image> noiseImage(int32_t width, int32_t height, uint32_t seed) {
  auto image = std::make_unique<lumiscene::Image>();
  image->create(width, height, 0x808080);
  image->addNoise(0, seed);
  return image;
}

// The program's inputs as start-up leaves them, with pictures of random pixels.
struct DriverSetUp {
  DriverSetUp() {
    headless::reset();
    lumiscene::calibrateClock();
    lumiscene::appActive = true;
    lumiscene::displayDepth = 32;
    lumiscene::picture1 = noiseImage(frameWidth, frameHeight, 1);
    lumiscene::picture2 = std::make_unique<lumiscene::Image>();
    lumiscene::picture2->create(frameWidth, frameHeight, 0x404020);
    lumiscene::picture2->placeCentred(*noiseImage(500, 375, 2));
  }
  ~DriverSetUp() {
    lumiscene::picture1.reset();
    lumiscene::picture2.reset();
  }

  // Builds both scenes through the first frame.
  void buildScenes() {
    driver.preparePictures(lumiscene::programFrameInputs());
    driver.advanceFrame(lumiscene::programFrameInputs());
  }

  lumiscene::FrameDriver driver{lumiscene::programFrameHost()};
};

void BM_FrameMemcpy(benchmark::State& state) {
  const size_t bytes = size_t{frameWidth} * frameHeight * sizeof(uint32_t);
  std::vector<uint32_t> from(bytes / sizeof(uint32_t), 0x123456);
  std::vector<uint32_t> to(bytes / sizeof(uint32_t));
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_FrameMemcpy);

void BM_SceneShimmer(benchmark::State& state) {
  DriverSetUp setUp;
  setUp.buildScenes();
  lumiscene::Scene& scene = *setUp.driver.scene1();
  for (auto _ : state) {
    headless::advanceClockMicroseconds(10'000);
    benchmark::DoNotOptimize(scene.step());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SceneShimmer);

// The same step with the kernels in each form this processor supports.
void sceneShimmerIn(benchmark::State& state, lumiscene::cpu::Form form) {
  const lumiscene::cpu::Form active = lumiscene::cpu::activeForm();
  lumiscene::cpu::useForm(form);
  BM_SceneShimmer(state);
  lumiscene::cpu::useForm(active);
}

const bool shimmerFormsRegistered = [] {
  for (int32_t f = 0; f <= static_cast<int32_t>(lumiscene::cpu::supportedForm()); ++f) {
    const auto form = static_cast<lumiscene::cpu::Form>(f);
    const std::string name = std::string("BM_SceneShimmer/") + lumiscene::cpu::formName(form);
    benchmark::RegisterBenchmark(name.c_str(), sceneShimmerIn, form);
  }
  return true;
}();

void BM_SceneInset(benchmark::State& state) {
  DriverSetUp setUp;
  setUp.buildScenes();
  lumiscene::Scene& scene = *setUp.driver.scene2();
  lumiscene::ColourBlend& blend = scene.layers[0]->blend;
  scene.setActive(1, 1);
  int64_t step = 0;
  for (auto _ : state) {
    headless::advanceClockMicroseconds(10'000);
    const double v = 0.01 + 0.49 * static_cast<double>(step++ % 150) / 150.0;
    blend.setWeights(v, v, 1.5 * v);
    benchmark::DoNotOptimize(scene.step());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SceneInset);

void BM_PreparePictures16(benchmark::State& state) {
  DriverSetUp setUp;
  for (auto _ : state) {
    // Only a change of depth prepares again: start each round from a deep display.
    state.PauseTiming();
    lumiscene::displayDepth = 32;
    setUp.driver.preparePictures(lumiscene::programFrameInputs());
    state.ResumeTiming();
    lumiscene::displayDepth = 16;
    setUp.driver.preparePictures(lumiscene::programFrameInputs());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PreparePictures16);

}  // namespace
