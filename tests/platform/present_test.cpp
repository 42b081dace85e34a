// What a windowed primary surface showed stays in the client area until
// something else is shown there: after the surface is lost, restored or
// released, when only part of the client area is on the screen, and when GDI
// draws on the window. A frame presented over the whole client area goes
// straight to the screen, and the primary's memory must still read as if it
// had been written: by Lock, GetDC, as a blit's source, around a partial
// write, after a move, and with bits the screen drops. Headless only: it needs
// the read-back and lost surfaces.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "cpu/instruction_set.h"
#include "platform/portable/pixel_layout.h"
#include "tests/platform/test_support.h"

using namespace platform_test;

namespace {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00;

class PresentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetPlatform();
    window = createProgramWindow();
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr),
              DD_OK);
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = kClientWidth;
    desc.dwHeight = kClientHeight;
    ASSERT_EQ(directDraw->CreateSurface(&desc, &back, nullptr), DD_OK);
    ASSERT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
    ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
  }

  void TearDown() override {
    if (clipper != nullptr) clipper->Release();
    if (back != nullptr) back->Release();
    if (primary != nullptr) primary->Release();
    if (directDraw != nullptr) directDraw->Release();
  }

  // Blits the whole back surface over the client area, as the program presents a frame.
  HRESULT presentBack() {
    RECT client;
    GetClientRect(window, &client);
    POINT corner = {0, 0};
    ClientToScreen(window, &corner);
    RECT target = {corner.x, corner.y, corner.x + client.right, corner.y + client.bottom};
    return primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr);
  }

  // Fills the back surface with one colour and presents it into the client area.
  HRESULT present(uint32_t colour) {
    DDBLTFX effects = {};
    effects.dwSize = sizeof(effects);
    effects.dwFillColor = colour;
    const HRESULT filled = back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects);
    if (FAILED(filled)) return filled;
    return presentBack();
  }

  // Fills the back surface with a pattern that differs from pixel to pixel
  // and from one `seed` to the next, then presents it.
  HRESULT presentPattern(uint32_t seed, uint32_t above = 0) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    const HRESULT locked = back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    if (FAILED(locked)) return locked;
    for (int y = 0; y < kClientHeight; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch);
      for (int x = 0; x < kClientWidth; ++x) row[x] = pattern(seed, x, y) | above;
    }
    back->Unlock(nullptr);
    return presentBack();
  }

  static uint32_t pattern(uint32_t seed, int x, int y) {
    return (seed * 0x9E3779B9u + static_cast<uint32_t>(x) * 2654435761u + static_cast<uint32_t>(y) * 40503u) &
           0xFFFFFF;
  }

  // The primary's memory at a screen position, as Lock shows it.
  uint32_t primaryAt(int x, int y) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    RECT one = {x, y, x + 1, y + 1};
    if (FAILED(primary->Lock(&one, &desc, DDLOCK_WAIT, nullptr))) return 0xDEADBEEF;
    uint32_t value;
    std::memcpy(&value, desc.lpSurface, 4);
    primary->Unlock(&one);
    return value;
  }

  POINT clientCorner() {
    POINT corner = {0, 0};
    ClientToScreen(window, &corner);
    return corner;
  }

  void moveTo(int x, int y) {
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // Puts the window together again without a new frame (GDI on the window presents it).
  void showAgain() { ReleaseDC(window, GetDC(window)); }

  HWND window = nullptr;
  IDirectDraw7* directDraw = nullptr;
  IDirectDrawSurface7* primary = nullptr;
  IDirectDrawSurface7* back = nullptr;
  IDirectDrawClipper* clipper = nullptr;
};

TEST_F(PresentTest, TheLastFrameOutlivesTheSurfaceThatShowedIt) {
  ASSERT_EQ(present(kRed), DD_OK);
  EXPECT_EQ(clientPicture().at(100, 100), kRed);
  loseAllSurfaces();
  showAgain();
  EXPECT_EQ(clientPicture().at(100, 100), kRed) << "lost";
  ASSERT_EQ(directDraw->RestoreAllSurfaces(), DD_OK);
  showAgain();
  EXPECT_EQ(clientPicture().at(100, 100), kRed) << "restored";
  ASSERT_EQ(present(kBlue), DD_OK);
  primary->Release();
  primary = nullptr;
  showAgain();
  EXPECT_EQ(clientPicture().at(639, 479), kBlue) << "released";
}

TEST_F(PresentTest, APartlyHiddenClientAreaKeepsWhatTheHiddenPartShowedLast) {
  ASSERT_EQ(present(kBlue), DD_OK);
  RECT outer;
  GetWindowRect(window, &outer);
  // The client area's right 200 columns go past the desktop's right edge (1024).
  POINT corner = {0, 0};
  ClientToScreen(window, &corner);
  moveTo(outer.left + (1024 - 440) - corner.x, outer.top);
  ASSERT_EQ(present(kRed), DD_OK);
  Picture shown = clientPicture();
  EXPECT_EQ(shown.at(0, 0), kRed);
  EXPECT_EQ(shown.at(439, 479), kRed);
  EXPECT_EQ(shown.at(440, 0), kBlue);
  EXPECT_EQ(shown.at(639, 479), kBlue);
  // Back on the screen, a whole frame shows again.
  moveTo(outer.left, outer.top);
  ASSERT_EQ(present(kGreen), DD_OK);
  shown = clientPicture();
  EXPECT_EQ(shown.at(0, 0), kGreen);
  EXPECT_EQ(shown.at(639, 479), kGreen);
}

TEST_F(PresentTest, GdiOnTheWindowDrawsOverThePresentedFrame) {
  ASSERT_EQ(present(kRed), DD_OK);
  HDC dc = GetDC(window);
  SetPixel(dc, 5, 5, RGB(0, 0xFF, 0));
  ReleaseDC(window, dc);
  const Picture shown = clientPicture();
  EXPECT_EQ(shown.at(5, 5), kGreen);
  EXPECT_EQ(shown.at(6, 5), kRed);
}

TEST_F(PresentTest, ThePrimaryReadsWhatWasPresentedStraight) {
  ASSERT_EQ(presentPattern(1), DD_OK);
  ASSERT_EQ(presentPattern(2), DD_OK);
  const POINT at = clientCorner();
  const Picture shown = clientPicture();
  for (const POINT p : {POINT{0, 0}, POINT{639, 0}, POINT{0, 479}, POINT{639, 479}, POINT{321, 123}}) {
    EXPECT_EQ(shown.at(p.x, p.y), pattern(2, p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(primaryAt(at.x + p.x, at.y + p.y), pattern(2, p.x, p.y)) << p.x << "," << p.y;
  }

  // As a blit's source: the whole client area copied back out.
  ASSERT_EQ(presentPattern(3), DD_OK);
  DDSURFACEDESC2 desc = {};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  desc.dwWidth = kClientWidth;
  desc.dwHeight = kClientHeight;
  IDirectDrawSurface7* copy = nullptr;
  ASSERT_EQ(directDraw->CreateSurface(&desc, &copy, nullptr), DD_OK);
  RECT area = {at.x, at.y, at.x + kClientWidth, at.y + kClientHeight};
  ASSERT_EQ(copy->BltFast(0, 0, primary, &area, DDBLTFAST_NOCOLORKEY), DD_OK);
  ASSERT_EQ(copy->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  int wrong = 0;
  for (int y = 0; y < kClientHeight; ++y) {
    const auto* row =
        reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch);
    for (int x = 0; x < kClientWidth; ++x) wrong += row[x] != pattern(3, x, y);
  }
  copy->Unlock(nullptr);
  copy->Release();
  EXPECT_EQ(wrong, 0);

  // Through a device context.
  ASSERT_EQ(presentPattern(4), DD_OK);
  HDC dc = nullptr;
  ASSERT_EQ(primary->GetDC(&dc), DD_OK);
  const COLORREF read = GetPixel(dc, at.x + 17, at.y + 29);
  primary->ReleaseDC(dc);
  const uint32_t expected = pattern(4, 17, 29);
  EXPECT_EQ(read, RGB(expected >> 16, (expected >> 8) & 0xFF, expected & 0xFF));
}

TEST_F(PresentTest, APartialWriteAfterAStraightFrameKeepsTheRestOfIt) {
  ASSERT_EQ(presentPattern(5), DD_OK);
  const POINT at = clientCorner();
  DDBLTFX effects = {};
  effects.dwSize = sizeof(effects);
  effects.dwFillColor = kGreen;
  RECT square = {at.x + 10, at.y + 10, at.x + 20, at.y + 20};
  ASSERT_EQ(primary->Blt(&square, nullptr, nullptr, DDBLT_COLORFILL, &effects), DD_OK);
  const Picture shown = clientPicture();
  EXPECT_EQ(shown.at(15, 15), kGreen);
  EXPECT_EQ(shown.at(25, 15), pattern(5, 25, 15));
  EXPECT_EQ(shown.at(600, 400), pattern(5, 600, 400));
  EXPECT_EQ(primaryAt(at.x + 15, at.y + 15), kGreen);
  EXPECT_EQ(primaryAt(at.x + 600, at.y + 400), pattern(5, 600, 400));
}

TEST_F(PresentTest, AStraightFrameStaysWhereItWasPresentedWhenTheWindowMoves) {
  ASSERT_EQ(presentPattern(6), DD_OK);
  const POINT before = clientCorner();
  RECT outer;
  GetWindowRect(window, &outer);
  moveTo(outer.left + 100, outer.top + 50);
  ASSERT_EQ(presentPattern(7), DD_OK);
  const POINT after = clientCorner();
  ASSERT_EQ(after.x, before.x + 100);
  // The old frame's part the new one does not cover, and the new frame.
  EXPECT_EQ(primaryAt(before.x + 5, before.y + 5), pattern(6, 5, 5));
  EXPECT_EQ(primaryAt(after.x + 5, after.y + 5), pattern(7, 5, 5));
  EXPECT_EQ(primaryAt(after.x + 639, after.y + 479), pattern(7, 639, 479));
  EXPECT_EQ(clientPicture().at(0, 0), pattern(7, 0, 0));
}

TEST_F(PresentTest, BitsAboveTheColourStayInThePrimaryAndNotOnTheScreen) {
  ASSERT_EQ(presentPattern(8, 0xAB000000u), DD_OK);
  const POINT at = clientCorner();
  EXPECT_EQ(clientPicture().at(3, 4), pattern(8, 3, 4));
  EXPECT_EQ(primaryAt(at.x + 3, at.y + 4), pattern(8, 3, 4) | 0xAB000000u);
}

TEST_F(PresentTest, ALostPrimaryIsBlackAfterItsRestoreNotTheFrameItHeld) {
  ASSERT_EQ(presentPattern(9), DD_OK);
  const POINT at = clientCorner();
  loseAllSurfaces();
  ASSERT_EQ(directDraw->RestoreAllSurfaces(), DD_OK);
  showAgain();
  EXPECT_EQ(clientPicture().at(100, 100), pattern(9, 100, 100)) << "the window keeps the last frame";
  EXPECT_EQ(primaryAt(at.x + 100, at.y + 100), 0u);
}

// Every frame shown in a window is decoded on its way: each instruction-set
// form must give the bytes and the dropped bits of the SSE2 one, at any row
// length (so the wide steps leave remainders) and with or without top bytes.
TEST(RowDecoderTest, EveryFormDecodesTheUsualLayoutAlike) {
  const portable::RowDecoder decoder(portable::standardLayout(32));
  const lumiscene::cpu::Form active = lumiscene::cpu::activeForm();
  uint32_t seed = 7;
  const auto nextRandom = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (const int32_t count : {0, 1, 7, 8, 9, 15, 16, 17, 33, 640}) {
    for (const uint32_t above : {0u, 0xFFFFFFFFu, 0x00FFFFFFu | (1u << 30)}) {
      std::vector<uint32_t> row(static_cast<size_t>(count));
      for (uint32_t& p : row) p = nextRandom() & (above | 0xFFFFFF);
      // Only the last pixel carries top bits in the third case.
      if (above == (0x00FFFFFFu | (1u << 30)) && count > 0) {
        for (uint32_t& p : row) p &= 0xFFFFFF;
        row.back() |= 1u << 30;
      }
      std::vector<uint32_t> reference(row.size() + 1, 0xABABABAB);
      lumiscene::cpu::useForm(lumiscene::cpu::Form::Sse2);
      const uint32_t referenceAbove =
          decoder.decode(reinterpret_cast<const uint8_t*>(row.data()), reference.data(), count);
      for (int32_t f = 1; f <= static_cast<int32_t>(lumiscene::cpu::supportedForm()); ++f) {
        lumiscene::cpu::useForm(static_cast<lumiscene::cpu::Form>(f));
        std::vector<uint32_t> out(row.size() + 1, 0xABABABAB);
        const uint32_t outAbove =
            decoder.decode(reinterpret_cast<const uint8_t*>(row.data()), out.data(), count);
        EXPECT_EQ(out, reference) << lumiscene::cpu::formName(lumiscene::cpu::activeForm()) << " " << count;
        EXPECT_EQ(outAbove, referenceAbove)
            << lumiscene::cpu::formName(lumiscene::cpu::activeForm()) << " " << count;
      }
      for (int32_t i = 0; i < count; ++i) ASSERT_EQ(reference[i], row[i] & 0xFFFFFF);
      EXPECT_EQ(reference[count], 0xABABABABu) << "nothing is written past the row";
      EXPECT_EQ(referenceAbove != 0, count > 0 && above != 0) << count;
    }
  }
  lumiscene::cpu::useForm(active);
}

}  // namespace
