// What a windowed primary surface showed stays in the client area until
// something else is shown there: after the surface is lost, restored or
// released, when only part of the client area is on the screen, and when GDI
// draws on the window. Headless only: it needs the read-back and lost surfaces.
#include <gtest/gtest.h>

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

  // Fills the back surface with one colour and presents it into the client area.
  HRESULT present(uint32_t colour) {
    DDBLTFX effects = {};
    effects.dwSize = sizeof(effects);
    effects.dwFillColor = colour;
    const HRESULT filled = back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &effects);
    if (FAILED(filled)) return filled;
    RECT client;
    GetClientRect(window, &client);
    POINT corner = {0, 0};
    ClientToScreen(window, &corner);
    RECT target = {corner.x, corner.y, corner.x + client.right, corner.y + client.bottom};
    return primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr);
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

}  // namespace
