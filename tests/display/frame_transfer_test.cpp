// The frame converted straight into another surface (the back buffer) must be
// exactly what the frame surface would hold, and only a surface of the frame
// surface's size and layout may take it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "display/display_setup.h"
#include "display/labels.h"
#include "display/pixel_format.h"
#include "pictures/random.h"
#include "platform/portable/headless/headless.h"
#include "scene/image.h"

namespace lumiscene {
namespace {

struct Desktop {
  int32_t bits;
  uint32_t red, green, blue;
};

class FrameTransferTest : public ::testing::TestWithParam<Desktop> {
protected:
  void SetUp() override {
    const Desktop& desktop = GetParam();
    headless::reset();
    headless::setDisplayFormat(desktop.bits, desktop.red, desktop.green, desktop.blue);
    displayDevice = std::make_unique<DisplayDevice>();
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&displayDevice->directDraw), IID_IDirectDraw7,
                                 nullptr),
              DD_OK);
    ASSERT_EQ(displayDevice->directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    ASSERT_EQ(createFrameSurface(), S_OK);
    setUpPixelFormat();
    frame_.create(640, 480, 0);
    uint32_t seed = 7;
    for (int32_t i = 0; i < 640 * 480; ++i) frame_.pixels[i] = nextRandom(seed) & 0xFFFFFF;
  }
  void TearDown() override { releaseDisplay(); }

  // The surface's rows, without the padding at their ends.
  static std::vector<uint8_t> rowsOf(IDirectDrawSurface7* surface) {
    DDSURFACEDESC2 desc = emptySurfaceDesc();
    std::vector<uint8_t> bytes;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return bytes;
    const size_t rowBytes = desc.dwWidth * desc.ddpfPixelFormat.dwRGBBitCount / 8;
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
      const auto* row = static_cast<const uint8_t*>(desc.lpSurface) + static_cast<ptrdiff_t>(y) * desc.lPitch;
      bytes.insert(bytes.end(), row, row + rowBytes);
    }
    surface->Unlock(nullptr);
    return bytes;
  }

  std::unique_ptr<Surface> offscreen(DWORD width, DWORD height, const DDPIXELFORMAT* format) {
    DDSURFACEDESC2 desc = emptySurfaceDesc();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format != nullptr ? DDSD_PIXELFORMAT : 0);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = width;
    desc.dwHeight = height;
    if (format != nullptr) desc.ddpfPixelFormat = *format;
    auto surface = std::make_unique<Surface>();
    EXPECT_EQ(surface->create(displayDevice->directDraw, desc), S_OK);
    return surface;
  }

  Image frame_;
};

TEST_P(FrameTransferTest, ASurfaceLikeTheFrameSurfaceGetsTheSameBytes) {
  ASSERT_EQ(transferFrame(&frame_), S_OK);
  const auto target = offscreen(640, 480, nullptr);
  ASSERT_EQ(transferFrameInto(&frame_, target->surface), S_OK);
  EXPECT_EQ(rowsOf(target->surface), rowsOf(frameSurface->surface));
}

TEST_P(FrameTransferTest, ASurfaceOfAnotherSizeOrLayoutIsLeftAlone) {
  const auto wider = offscreen(641, 480, nullptr);
  const auto shorter = offscreen(640, 479, nullptr);
  DDPIXELFORMAT other{};
  other.dwSize = sizeof(other);
  other.dwFlags = DDPF_RGB;
  const bool sixteen = GetParam().bits == 16 && GetParam().red == 0xF800;
  other.dwRGBBitCount = sixteen ? 32 : 16;
  other.dwRBitMask = sixteen ? 0xFF0000 : 0xF800;
  other.dwGBitMask = sixteen ? 0x00FF00 : 0x07E0;
  other.dwBBitMask = sixteen ? 0x0000FF : 0x001F;
  const auto otherLayout = offscreen(640, 480, &other);
  for (const auto* target : {&wider, &shorter, &otherLayout}) {
    const std::vector<uint8_t> before = rowsOf((*target)->surface);
    EXPECT_EQ(transferFrameInto(&frame_, (*target)->surface), S_FALSE);
    EXPECT_EQ(rowsOf((*target)->surface), before);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryDesktop, FrameTransferTest,
                         ::testing::Values(Desktop{16, 0xF800, 0x07E0, 0x001F}, Desktop{16, 0x7C00, 0x03E0, 0x001F},
                                           Desktop{24, 0xFF0000, 0x00FF00, 0x0000FF},
                                           Desktop{32, 0xFF0000, 0x00FF00, 0x0000FF},
                                           Desktop{32, 0x0000FF, 0x00FF00, 0xFF0000}));

}  // namespace
}  // namespace lumiscene
