// Every instruction-set form of the scene kernels against the portable form,
// byte for byte, on random frames, random jitters and every clipping case.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "cpu/instruction_set.h"
#include "scene/blend_kernels.h"
#include "scene/block_kernels.h"
#include "scene/scene.h"
#include "test_images.h"

using lumiscene::Image;
using lumiscene::cpu::Form;
namespace blocks = lumiscene::block_kernels;

namespace {

std::vector<Form> supportedForms() {
  std::vector<Form> forms;
  for (int32_t f = 0; f <= static_cast<int32_t>(lumiscene::cpu::supportedForm()); ++f) {
    forms.push_back(static_cast<Form>(f));
  }
  return forms;
}

int32_t randomIn(uint64_t& state, int32_t low, int32_t high) {
  return low +
         static_cast<int32_t>(scene_test::nextTestRandom(state) % static_cast<uint32_t>(high - low + 1));
}

// Runs the test body in one form and puts the form that was active back.
class FormScope {
 public:
  explicit FormScope(Form form) : before_(lumiscene::cpu::activeForm()) { lumiscene::cpu::useForm(form); }
  ~FormScope() { lumiscene::cpu::useForm(before_); }

 private:
  Form before_;
};

}  // namespace

TEST(InstructionSet, NamesRoundTripAndNoFormIsRaisedAboveTheProcessor) {
  for (const Form form : {Form::Sse2, Form::Avx2, Form::Avx512}) {
    Form named = Form::Sse2;
    ASSERT_TRUE(lumiscene::cpu::formFromName(lumiscene::cpu::formName(form), named));
    EXPECT_EQ(named, form);
  }
  Form unchanged = Form::Avx2;
  EXPECT_FALSE(lumiscene::cpu::formFromName("avx", unchanged));
  EXPECT_FALSE(lumiscene::cpu::formFromName("", unchanged));
  EXPECT_EQ(unchanged, Form::Avx2);

  const Form before = lumiscene::cpu::activeForm();
  lumiscene::cpu::useForm(Form::Avx512);
  EXPECT_EQ(lumiscene::cpu::activeForm(), lumiscene::cpu::supportedForm());
  lumiscene::cpu::useForm(Form::Sse2);
  EXPECT_EQ(lumiscene::cpu::activeForm(), Form::Sse2);
  lumiscene::cpu::useForm(before);
}

// Axes with every kind of phase, position, range and jitter: wrapping from far
// below and above, ranges narrower than a block, twins cut at both ends and
// twins that fall outside.
TEST(BlockKernels, EveryFormPlacesLikeThePortableForm) {
  uint64_t seed = 7;
  for (int32_t round = 0; round < 300; ++round) {
    const int32_t count = randomIn(seed, 1, 90);
    std::vector<float> phases[2];
    std::vector<int16_t> jitter[2];
    blocks::AxisPlacement axes[2];
    for (int32_t a = 0; a < 2; ++a) {
      // Every fifth round wraps exact multiples of a period of 49, where a
      // product with the rounded 1/49 falls just below the whole quotient.
      const bool multiples = round % 5 == 4;
      const int32_t blockSize = multiples ? 4 : randomIn(seed, 1, a == 0 ? 4 : 16);
      const int32_t low = multiples ? 0 : randomIn(seed, 0, 20);
      const int32_t high = multiples ? 45 : low + randomIn(seed, -1, 60);
      const int32_t reach = round % 3 == 0 ? 1 : randomIn(seed, 1, 127);
      for (int32_t i = 0; i < count; ++i) {
        const uint32_t phase = scene_test::nextTestRandom(seed) % 65536;
        phases[a].push_back(static_cast<float>(multiples ? 49 * (phase % 1300) : phase));
        jitter[a].push_back(static_cast<int16_t>(randomIn(seed, -reach, reach)));
      }
      const double positions[] = {0.0, 17.75, -1234.5, 3.0e9, -3.0e9, 1.0e6 + 0.5};
      const double position = multiples ? 0.0 : positions[round % 6];
      axes[a] = blocks::AxisPlacement{phases[a].data(),
                                      jitter[a].data(),
                                      position,
                                      low - blockSize + 1,
                                      high + blockSize - low,
                                      low,
                                      high,
                                      blockSize};
      if (axes[a].period <= 0) axes[a].period = 1;
    }
    const int32_t stride = 100;
    std::vector<int32_t> expectedAt(count), at(count);
    std::vector<uint32_t> expectedShape(count), shape(count);
    const size_t expected = blocks::portableKernels().place(axes[0], axes[1], count, stride,
                                                            expectedAt.data(), expectedShape.data());
    for (const Form form : supportedForms()) {
      const size_t listed =
          blocks::kernelsFor(form).place(axes[0], axes[1], count, stride, at.data(), shape.data());
      ASSERT_EQ(listed, expected) << lumiscene::cpu::formName(form) << " round " << round;
      for (size_t i = 0; i < listed; ++i) {
        ASSERT_EQ(at[i], expectedAt[i])
            << lumiscene::cpu::formName(form) << " round " << round << " block " << i;
        ASSERT_EQ(shape[i], expectedShape[i]) << lumiscene::cpu::formName(form) << " round " << round;
      }
    }
  }
}

// Lists of mostly usual blocks (4 x 8, twins one pixel away) laid over each
// other and over the frame's edges, with cut blocks and far twins mixed in,
// for every move: snapshot or picture, copy or mix, with or without the swap.
TEST(BlockKernels, EveryFormMovesLikeThePortableForm) {
  constexpr int32_t width = 40, height = 36;
  uint64_t seed = 11;
  const auto picture = scene_test::randomImage(width, height, 5);
  for (int32_t round = 0; round < 64; ++round) {
    std::vector<int32_t> at;
    std::vector<uint32_t> shape;
    for (int32_t n = 0; n < 200; ++n) {
      const bool usual = scene_test::nextTestRandom(seed) % 8 != 0;
      const int32_t reach = usual ? 1 : 3;
      const int32_t jx = randomIn(seed, -reach, reach), jy = randomIn(seed, -reach, reach);
      const int32_t w = usual ? 4 : randomIn(seed, 1, 4), rows = usual ? 8 : randomIn(seed, 1, 16);
      // Block and twin inside the frame, often touching its edges.
      const int32_t xMin = std::max(0, -jx), xMax = width - w - std::max(0, jx);
      const int32_t yMin = std::max(0, -jy), yMax = height - rows - std::max(0, jy);
      const int32_t x = n % 5 == 0 ? xMin : n % 5 == 1 ? xMax : randomIn(seed, xMin, xMax);
      const int32_t y = n % 7 == 0 ? yMin : n % 7 == 1 ? yMax : randomIn(seed, yMin, yMax);
      at.push_back(y * width + x);
      shape.push_back(blocks::packShape(jx, jy, w, rows));
    }
    const int32_t flags = round % 8;
    const blocks::BlockMove move{flags & 1 ? picture->pixels.get() : nullptr, (flags & 2) != 0,
                                 (flags & 4) != 0};
    const auto start = scene_test::randomImage(width, height, 100 + static_cast<uint64_t>(round));
    Image expected(*start);
    blocks::portableKernels().move(expected.pixels.get(), width, at.data(), shape.data(), at.size(), move);
    for (const Form form : supportedForms()) {
      Image frame(*start);
      blocks::kernelsFor(form).move(frame.pixels.get(), width, at.data(), shape.data(), at.size(), move);
      ASSERT_TRUE(scene_test::samePixels(frame, expected))
          << lumiscene::cpu::formName(form) << " round " << round << " flags " << flags;
    }
  }
}

// The shimmer's block cut to every smaller size, its twin in every direction,
// in each corner of a frame: in the last corner the rows a whole block would
// have lie beyond the frame's pixels, which must not be touched.
TEST(BlockKernels, EveryFormMovesCutShimmerBlocksLikeThePortableForm) {
  constexpr int32_t width = 12, height = 10;
  const blocks::BlockMove shimmer{nullptr, true, true};
  for (int32_t w = 1; w <= 4; ++w) {
    for (int32_t rows = 1; rows <= 8; ++rows) {
      for (int32_t jy = -1; jy <= 1; ++jy) {
        for (int32_t jx = -1; jx <= 1; ++jx) {
          const int32_t xs[] = {std::max(0, -jx), width - w - std::max(0, jx)};
          const int32_t ys[] = {std::max(0, -jy), height - rows - std::max(0, jy)};
          for (const int32_t x : xs) {
            for (const int32_t y : ys) {
              const int32_t at = y * width + x;
              const uint32_t shape = blocks::packShape(jx, jy, w, rows);
              const auto start = scene_test::randomImage(width, height, static_cast<uint64_t>(at + 7 * rows));
              Image expected(*start);
              blocks::portableKernels().move(expected.pixels.get(), width, &at, &shape, 1, shimmer);
              for (const Form form : supportedForms()) {
                Image frame(*start);
                blocks::kernelsFor(form).move(frame.pixels.get(), width, &at, &shape, 1, shimmer);
                ASSERT_TRUE(scene_test::samePixels(frame, expected))
                    << lumiscene::cpu::formName(form) << " " << w << "x" << rows << " jitter " << jx << ","
                    << jy << " at " << x << "," << y;
              }
            }
          }
        }
      }
    }
  }
}

// The shimmer layer over a whole frame, placed so that blocks are cut at every
// edge, drawn in each form from the same start: the frames agree.
TEST(BlockKernels, ShimmerLayersDrawTheSameFrameInEveryForm) {
  constexpr int32_t width = 96, height = 64;
  const auto picture = scene_test::randomImage(width, height, 3);
  std::unique_ptr<Image> reference;
  for (const Form form : supportedForms()) {
    FormScope scope(form);
    lumiscene::Scene scene(nullptr, picture.get());
    auto layer = std::make_unique<lumiscene::Layer>();
    layer->setPlacement(0, 0, width - 1, height - 1);
    layer->axisX.blockSize = 4;
    layer->axisY.blockSize = 8;
    layer->axisX.jitterMin = layer->axisY.jitterMin = -1;
    layer->axisX.jitterMax = layer->axisY.jitterMax = 1;
    layer->density = 1.0;
    auto effect = std::make_unique<lumiscene::DisplaceEffect>();
    effect->snapshot = 1;
    effect->swap = 1;
    effect->mode = lumiscene::DisplaceMode::Half;
    layer->setEffect(std::move(effect), 0);
    lumiscene::Layer& drawn = *layer;
    scene.setLayer(std::move(layer), 0);
    uint32_t seedCounter = 99;
    scene.attach(seedCounter);
    scene.frame->copyPixels(*scene_test::randomImage(width, height, 4));
    for (int32_t step = 0; step < 12; ++step) {
      drawn.axisX.position = -37.25 + 13.5 * step;
      drawn.axisY.position = 5.5 - 21.75 * step;
      drawn.renderDisplaceOnly(step == 0);
    }
    if (!reference) {
      reference = std::make_unique<Image>(*scene.frame);
    } else {
      EXPECT_TRUE(scene_test::samePixels(*scene.frame, *reference)) << lumiscene::cpu::formName(form);
    }
  }
}

// Weights outside 0..1 clamp the tables at both ends; rows of every length
// leave every tail.
TEST(BlendKernels, EveryFormBlendsLikeThePortableForm) {
  const double weights[][3] = {{0.3, 0.3, 0.45}, {0.01, 0.2, 0.99}, {-0.5, 1.7, 2.5}, {1.5, -0.25, 0.75}};
  constexpr int32_t width = 53, height = 9;
  int32_t round = 0;
  for (const auto& w : weights) {
    lumiscene::BlendTables tables;
    tables.build(w[0], w[1], w[2]);
    for (int32_t columns = 1; columns <= width; columns += 4) {
      const auto picture = scene_test::randomImage(width, height, 200 + static_cast<uint64_t>(round));
      const auto start = scene_test::randomImage(width, height, 300 + static_cast<uint64_t>(round++));
      Image expected(*start);
      lumiscene::blend_kernels::portableApply()(tables, expected.pixelAt(width - columns, 1), width,
                                                picture->pixelAt(0, 0), width, columns, height - 2);
      for (const Form form : supportedForms()) {
        Image frame(*start);
        lumiscene::blend_kernels::applyFor(form)(tables, frame.pixelAt(width - columns, 1), width,
                                                 picture->pixelAt(0, 0), width, columns, height - 2);
        ASSERT_TRUE(scene_test::samePixels(frame, expected))
            << lumiscene::cpu::formName(form) << " weights " << w[0] << " columns " << columns;
      }
    }
  }
}
