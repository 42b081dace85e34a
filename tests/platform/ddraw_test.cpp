// DirectDraw: surface formats, fills and blits, presenting in a window and
// full-screen, lost surfaces, the cooperative level's answers and failures at
// each call of the display set-up.
#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"
#include "tests/platform/test_support.h"

using namespace platform_test;

namespace {

struct Layout {
  const char* name;
  int bits;
  uint32_t red, green, blue;
};

const Layout kLayouts[] = {
    {"rgb565", 16, 0xF800, 0x07E0, 0x001F},       {"rgb555", 16, 0x7C00, 0x03E0, 0x001F},
    {"rgb24", 24, 0xFF0000, 0x00FF00, 0x0000FF},  {"xrgb32", 32, 0xFF0000, 0x00FF00, 0x0000FF},
    {"xbgr32", 32, 0x0000FF, 0x00FF00, 0xFF0000},
};

DDSURFACEDESC2 description() {
  DDSURFACEDESC2 desc = {};
  desc.dwSize = sizeof(desc);
  return desc;
}

// Windows: a raw value packed from 8-bit channels by the masks, keeping each channel's top bits.
uint32_t pack(const Layout& layout, uint8_t red, uint8_t green, uint8_t blue) {
  auto channel = [](uint32_t mask, uint8_t value) {
    int low = 0, bits = 0;
    while (!(mask & (1u << low))) ++low;
    while (mask & (1u << (low + bits))) ++bits;
    return (static_cast<uint32_t>(value) >> (8 - bits)) << low;
  };
  return channel(layout.red, red) | channel(layout.green, green) | channel(layout.blue, blue);
}

class DirectDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetPlatform();
    window = createProgramWindow();
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
  }

  void TearDown() override {
    for (IDirectDrawSurface7* surface : surfaces)
      if (surface != nullptr) surface->Release();
    if (clipper != nullptr) clipper->Release();
    if (directDraw != nullptr) {
      directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
      EXPECT_EQ(directDraw->Release(), 0u) << "every surface released its hold on the object";
    }
  }

  HRESULT create() {
    return DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr);
  }

  IDirectDrawSurface7* offscreen(int width, int height, HRESULT* result = nullptr) {
    DDSURFACEDESC2 desc = description();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    desc.dwWidth = width;
    desc.dwHeight = height;
    IDirectDrawSurface7* surface = nullptr;
    const HRESULT made = directDraw->CreateSurface(&desc, &surface, nullptr);
    if (result != nullptr) *result = made;
    surfaces.push_back(surface);
    return surface;
  }

  // The program's windowed set-up: normal level, primary, back surface, clipper on the window.
  HRESULT setUpWindowed(int width = kClientWidth, int height = kClientHeight) {
    HRESULT result = create();
    if (FAILED(result)) return result;
    if (FAILED(result = directDraw->SetCooperativeLevel(window, DDSCL_NORMAL))) return result;
    DDSURFACEDESC2 desc = description();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (FAILED(result = directDraw->CreateSurface(&desc, &primary, nullptr))) return result;
    surfaces.push_back(primary);
    back = offscreen(width, height, &result);
    if (FAILED(result)) return result;
    if (FAILED(result = directDraw->CreateClipper(0, &clipper, nullptr))) return result;
    if (FAILED(result = clipper->SetHWnd(0, window))) return result;
    return primary->SetClipper(clipper);
  }

  // The program's full-screen set-up: exclusive level, 640 x 480 x 32, a flipping chain.
  HRESULT setUpFullScreen() {
    HRESULT result = create();
    if (FAILED(result)) return result;
    if (FAILED(result = directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)))
      return result;
    if (FAILED(result = directDraw->SetDisplayMode(640, 480, 32, 0, 0))) return result;
    DDSURFACEDESC2 desc = description();
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    if (FAILED(result = directDraw->CreateSurface(&desc, &primary, nullptr))) return result;
    surfaces.push_back(primary);
    DDSCAPS2 caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    result = primary->GetAttachedSurface(&caps, &back);
    surfaces.push_back(back);
    return result;
  }

  RECT screenRect() const {
    RECT client;
    GetClientRect(window, &client);
    POINT corner = {0, 0};
    ClientToScreen(window, &corner);
    return {corner.x, corner.y, corner.x + client.right, corner.y + client.bottom};
  }

  static HRESULT fill(IDirectDrawSurface7* surface, uint32_t value, RECT* area = nullptr) {
    DDBLTFX effects = {};
    effects.dwSize = sizeof(effects);
    effects.dwFillColor = value;
    return surface->Blt(area, nullptr, nullptr, DDBLT_COLORFILL, &effects);
  }

  // A raw pixel value read through Lock.
  static uint32_t pixel(IDirectDrawSurface7* surface, int x, int y) {
    DDSURFACEDESC2 desc = description();
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return 0xDEADBEEF;
    const int bytes = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount) / 8;
    const auto* at = static_cast<const uint8_t*>(desc.lpSurface) + y * desc.lPitch + x * bytes;
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
    surface->Unlock(nullptr);
    return value;
  }

  HWND window = nullptr;
  IDirectDraw7* directDraw = nullptr;
  IDirectDrawSurface7* primary = nullptr;
  IDirectDrawSurface7* back = nullptr;
  IDirectDrawClipper* clipper = nullptr;
  std::vector<IDirectDrawSurface7*> surfaces;
};

class SurfaceFormatTest : public DirectDrawTest, public ::testing::WithParamInterface<Layout> {
 protected:
  void SetUp() override {
    resetPlatform();
    setDisplayFormat(GetParam().bits, GetParam().red, GetParam().green, GetParam().blue);
    window = createProgramWindow();
    ShowWindow(window, SW_SHOWNORMAL);
  }
};

TEST_P(SurfaceFormatTest, SurfacesTakeTheDisplayFormatAndLockGivesMemoryAndPitch) {
  const Layout& layout = GetParam();
  ASSERT_EQ(setUpWindowed(), DD_OK);
  for (IDirectDrawSurface7* surface : {primary, offscreen(33, 7)}) {
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(format);
    ASSERT_EQ(surface->GetPixelFormat(&format), DD_OK);
    EXPECT_EQ(format.dwRGBBitCount, static_cast<DWORD>(layout.bits));
    EXPECT_EQ(format.dwRBitMask, layout.red);
    EXPECT_EQ(format.dwGBitMask, layout.green);
    EXPECT_EQ(format.dwBBitMask, layout.blue);
  }
  IDirectDrawSurface7* small = surfaces.back();
  DDSURFACEDESC2 desc = description();
  ASSERT_EQ(small->GetSurfaceDesc(&desc), DD_OK);
  EXPECT_EQ(desc.dwWidth, 33u);
  EXPECT_EQ(desc.dwHeight, 7u);
  desc = description();
  ASSERT_EQ(small->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_NOSYSLOCK, nullptr), DD_OK);
  ASSERT_NE(desc.lpSurface, nullptr);
  EXPECT_GE(desc.lPitch, 33 * layout.bits / 8);
  // Rows are written through the pitch and read back the same way.
  auto* rows = static_cast<uint8_t*>(desc.lpSurface);
  for (int y = 0; y < 7; ++y) rows[y * desc.lPitch + 32 * layout.bits / 8] = static_cast<uint8_t>(0x10 + y);
  EXPECT_EQ(small->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  ASSERT_EQ(small->Unlock(nullptr), DD_OK);
  EXPECT_EQ(small->Unlock(nullptr), DDERR_NOTLOCKED);
  EXPECT_EQ(pixel(small, 32, 6) & 0xFF, 0x16u);
}

TEST_P(SurfaceFormatTest, ColourFillAndDeviceContextsWriteTheSurfaceFormat) {
  const Layout& layout = GetParam();
  ASSERT_EQ(setUpWindowed(), DD_OK);
  IDirectDrawSurface7* surface = offscreen(16, 16);
  const uint32_t orange = pack(layout, 0xFF, 0x80, 0x00);
  // Seven wide: the fill repeats a pixel of unlike bytes across a row that is
  // no power of two long, and stops at its edges.
  RECT area = {4, 4, 11, 8};
  ASSERT_EQ(fill(surface, 0), DD_OK);
  ASSERT_EQ(fill(surface, orange, &area), DD_OK);
  for (int y = 3; y <= 8; ++y) {
    for (int x = 3; x <= 11; ++x) {
      const bool inside = x >= 4 && x < 11 && y >= 4 && y < 8;
      EXPECT_EQ(pixel(surface, x, y), inside ? orange : 0u) << x << "," << y;
    }
  }
  // GDI on the surface produces the value a fill of the same colour produces.
  HDC dc = nullptr;
  ASSERT_EQ(surface->GetDC(&dc), DD_OK);
  HDC second = nullptr;
  EXPECT_EQ(surface->GetDC(&second), DDERR_DCALREADYCREATED);
  EXPECT_EQ(fill(surface, 0), DDERR_SURFACEBUSY);
  SetPixel(dc, 0, 0, RGB(0xFF, 0x80, 0x00));
  const COLORREF read = GetPixel(dc, 0, 0);
  ASSERT_EQ(surface->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(pixel(surface, 0, 0), orange);
  EXPECT_EQ(GetRValue(read), 0xFF);
  EXPECT_EQ(GetBValue(read), 0x00);
}

TEST_P(SurfaceFormatTest, WindowedPresentStretchesTheBackSurfaceIntoTheClientArea) {
  const Layout& layout = GetParam();
  ASSERT_EQ(setUpWindowed(320, 240), DD_OK);
  RECT left = {0, 0, 160, 240};
  ASSERT_EQ(fill(back, pack(layout, 0xFF, 0, 0)), DD_OK);
  ASSERT_EQ(fill(back, pack(layout, 0, 0, 0xFF), &left), DD_OK);
  RECT target = screenRect();
  ASSERT_EQ(primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  const Picture shown = clientPicture();
  ASSERT_EQ(shown.width, kClientWidth);
  ASSERT_EQ(shown.height, kClientHeight);
  EXPECT_EQ(shown.at(0, 0), 0x0000FFu);
  EXPECT_EQ(shown.at(319, 479), 0x0000FFu);
  EXPECT_EQ(shown.at(320, 0), 0xFF0000u);
  EXPECT_EQ(shown.at(639, 479), 0xFF0000u);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SurfaceFormatTest, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DirectDrawTest, ColourKeyedBltFastSkipsTheKeyColour) {
  ASSERT_EQ(setUpWindowed(), DD_OK);
  IDirectDrawSurface7* label = offscreen(8, 4);
  IDirectDrawSurface7* target = offscreen(16, 8);
  RECT letter = {2, 1, 6, 3};
  ASSERT_EQ(fill(label, 0), DD_OK);
  ASSERT_EQ(fill(label, 0xFF8000, &letter), DD_OK);
  ASSERT_EQ(fill(target, 0x123456), DD_OK);
  EXPECT_EQ(target->BltFast(4, 2, label, nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
  DDCOLORKEY key = {0, 0};
  ASSERT_EQ(label->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  ASSERT_EQ(target->BltFast(4, 2, label, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
  EXPECT_EQ(pixel(target, 4, 2), 0x123456u) << "the key colour is transparent";
  EXPECT_EQ(pixel(target, 6, 3), 0xFF8000u);
  EXPECT_EQ(pixel(target, 12, 2), 0x123456u);
  ASSERT_EQ(target->BltFast(4, 2, label, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
  EXPECT_EQ(pixel(target, 4, 2), 0u) << "without the key everything is copied";
  RECT part = {2, 1, 4, 2};
  ASSERT_EQ(target->BltFast(0, 0, label, &part, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(pixel(target, 1, 0), 0xFF8000u);
  EXPECT_EQ(target->BltFast(10, 6, label, nullptr, DDBLTFAST_NOCOLORKEY), DDERR_INVALIDRECT);
  EXPECT_EQ(primary->BltFast(0, 0, label, nullptr, DDBLTFAST_NOCOLORKEY), DDERR_BLTFASTCANTCLIP);
}

TEST_F(DirectDrawTest, FullScreenFlipsTheBackBufferOntoTheScreen) {
  ASSERT_EQ(setUpFullScreen(), DD_OK);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
  EXPECT_TRUE(fullScreenShown());
  DDSURFACEDESC2 desc = description();
  ASSERT_EQ(primary->GetSurfaceDesc(&desc), DD_OK);
  EXPECT_EQ(desc.dwBackBufferCount, 1u);
  ASSERT_EQ(fill(back, 0x00FF00), DD_OK);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  Picture shown = clientPicture();
  ASSERT_EQ(shown.width, 640);
  EXPECT_EQ(shown.at(320, 240), 0x00FF00u);
  ASSERT_EQ(fill(back, 0x0000FF), DD_OK);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(clientPicture().at(0, 0), 0x0000FFu);
  EXPECT_EQ(pixel(back, 0, 0), 0x00FF00u) << "the old front is the new back";
  EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);

  // Leaving exclusive mode gives the desktop its mode back.
  for (IDirectDrawSurface7*& surface : surfaces) surface = (surface->Release(), nullptr);
  ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_FALSE(fullScreenShown());
}

TEST_F(DirectDrawTest, TextExtentIsWhatTextOutCoversOpaquely) {
  ASSERT_EQ(setUpWindowed(), DD_OK);
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  SIZE extent = {};
  ASSERT_TRUE(GetTextExtentPoint32A(screen, "Lumiscene 42", 12, &extent));
  ReleaseDC(nullptr, screen);
  EXPECT_GT(extent.cx, 0);
  EXPECT_GT(extent.cy, 0);
  IDirectDrawSurface7* label = offscreen(extent.cx + 4, extent.cy + 4);
  ASSERT_EQ(fill(label, 0x0000FF), DD_OK);
  HDC dc = nullptr;
  ASSERT_EQ(label->GetDC(&dc), DD_OK);
  SetBkColor(dc, RGB(0, 0, 0));
  SetTextColor(dc, RGB(0xFF, 0x80, 0x00));
  ASSERT_TRUE(TextOutA(dc, 0, 0, "Lumiscene 42", 12));
  ASSERT_EQ(label->ReleaseDC(dc), DD_OK);
  int letters = 0;
  for (int y = 0; y < extent.cy + 4; ++y)
    for (int x = 0; x < extent.cx + 4; ++x) {
      const uint32_t value = pixel(label, x, y);
      if (x < extent.cx && y < extent.cy) {
        EXPECT_TRUE(value == 0 || value == 0xFF8000u) << "every cell is painted, at " << x << "," << y;
        letters += value == 0xFF8000u;
      } else {
        EXPECT_EQ(value, 0x0000FFu) << "nothing is drawn outside the extent, at " << x << "," << y;
      }
    }
  EXPECT_GT(letters, 12);
}

TEST_F(DirectDrawTest, LostSurfacesRefuseWorkUntilRestoredWithoutTheirContent) {
  ASSERT_EQ(setUpWindowed(), DD_OK);
  IDirectDrawSurface7* frame = offscreen(64, 64);
  ASSERT_EQ(fill(frame, 0xABCDEF), DD_OK);
  loseAllSurfaces();
  DDSURFACEDESC2 desc = description();
  HDC dc = nullptr;
  EXPECT_EQ(frame->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(fill(frame, 0), DDERR_SURFACELOST);
  EXPECT_EQ(frame->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(frame->GetDC(&dc), DDERR_SURFACELOST);
  EXPECT_EQ(back->BltFast(0, 0, frame, nullptr, DDBLTFAST_NOCOLORKEY), DDERR_SURFACELOST);
  RECT target = screenRect();
  EXPECT_EQ(primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(directDraw->TestCooperativeLevel(), DD_OK) << "losing surfaces is not losing the display";
  ASSERT_EQ(frame->Restore(), DD_OK);
  EXPECT_EQ(frame->IsLost(), DD_OK);
  EXPECT_EQ(pixel(frame, 10, 10), 0u) << "a restored surface's content is gone";
  EXPECT_EQ(back->IsLost(), DDERR_SURFACELOST);
  ASSERT_EQ(directDraw->RestoreAllSurfaces(), DD_OK);
  EXPECT_EQ(primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
}

TEST_F(DirectDrawTest, TestCooperativeLevelAnswersForEachSituation) {
  ASSERT_EQ(setUpWindowed(), DD_OK);
  EXPECT_EQ(directDraw->TestCooperativeLevel(), DD_OK);
  setExclusiveModeHeldElsewhere(true);
  EXPECT_EQ(directDraw->TestCooperativeLevel(), DDERR_EXCLUSIVEMODEALREADYSET);
  setExclusiveModeHeldElsewhere(false);
  changeDisplayMode(16, 0xF800, 0x07E0, 0x001F);
  EXPECT_EQ(directDraw->TestCooperativeLevel(), DDERR_WRONGMODE);
  EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
  for (IDirectDrawSurface7*& surface : surfaces) surface = (surface->Release(), nullptr);
  directDraw->Release();
  directDraw = nullptr;

  // A new object in the new mode is fine; so is exclusive mode until another program takes it.
  ASSERT_EQ(setUpFullScreen(), DD_OK);
  EXPECT_EQ(directDraw->TestCooperativeLevel(), DD_OK);
  setExclusiveModeHeldElsewhere(true);
  EXPECT_EQ(directDraw->TestCooperativeLevel(), DDERR_NOEXCLUSIVEMODE);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DDERR_NOEXCLUSIVEMODE);
  setExclusiveModeHeldElsewhere(false);
  EXPECT_EQ(directDraw->TestCooperativeLevel(), DD_OK);
  EXPECT_EQ(directDraw->RestoreAllSurfaces(), DD_OK);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
}

struct Injection {
  const char* operation;
  bool fullScreen;
  int skip;  // calls of that operation that succeed first
};

class SetUpFailureTest : public DirectDrawTest, public ::testing::WithParamInterface<Injection> {};

TEST_P(SetUpFailureTest, AFailingCallStopsTheSetUpWithItsResult) {
  const Injection& injection = GetParam();
  const HRESULT fault = MAKE_DDHRESULT(0x123);
  failCall(injection.operation, fault, injection.skip);
  const HRESULT result = injection.fullScreen ? setUpFullScreen() : setUpWindowed();
  EXPECT_EQ(result, fault);
  // Whatever was made is released by TearDown without leaks or crashes.
}

INSTANTIATE_TEST_SUITE_P(
    EachCall, SetUpFailureTest,
    ::testing::Values(Injection{"DirectDrawCreateEx", false, 0}, Injection{"SetCooperativeLevel", false, 0},
                      Injection{"CreateSurface", false, 0}, Injection{"CreateSurface", false, 1},
                      Injection{"CreateClipper", false, 0}, Injection{"SetHWnd", false, 0},
                      Injection{"SetClipper", false, 0}, Injection{"DirectDrawCreateEx", true, 0},
                      Injection{"SetCooperativeLevel", true, 0}, Injection{"SetDisplayMode", true, 0},
                      Injection{"CreateSurface", true, 0}, Injection{"GetAttachedSurface", true, 0}),
    [](const auto& info) {
      return std::string(info.param.fullScreen ? "FullScreen" : "Windowed") + info.param.operation +
             std::to_string(info.param.skip);
    });

TEST_F(DirectDrawTest, BadArgumentsGetTheDocumentedResults) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(DirectDrawCreateEx(nullptr, &object, IID_IDirectDrawSurface7, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(DirectDrawCreateEx(nullptr, nullptr, IID_IDirectDraw7, nullptr), DDERR_INVALIDPARAMS);
  ASSERT_EQ(create(), DD_OK);
  DDSURFACEDESC2 desc = description();
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface7* surface = nullptr;
  EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_NOCOOPERATIVELEVELSET);
  EXPECT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL | DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
  EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
            DDERR_INVALIDPARAMS);
  ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 32, 0, 0), DDERR_NOEXCLUSIVEMODE);
  EXPECT_EQ(directDraw->CreateSurface(nullptr, &surface, nullptr), DDERR_INVALIDPARAMS);
  desc.dwSize = 124 + 1;
  EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);
  desc.dwSize = sizeof(desc);
  ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
  surfaces.push_back(primary);
  EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  EXPECT_LT(directDraw->CreateSurface(&desc, &surface, nullptr), 0);
  EXPECT_EQ(surface, nullptr);
  desc = description();
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  desc.dwWidth = 8;
  EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);

  IDirectDrawSurface7* plain = offscreen(8, 8);
  DDPIXELFORMAT format = {};
  EXPECT_EQ(plain->GetPixelFormat(&format), DDERR_INVALIDPARAMS) << "the size field must be set";
  EXPECT_EQ(plain->GetPixelFormat(nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(plain->GetSurfaceDesc(nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(plain->Lock(nullptr, nullptr, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
  RECT outside = {4, 4, 9, 9};
  desc = description();
  EXPECT_EQ(plain->Lock(&outside, &desc, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);
  EXPECT_EQ(plain->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(plain->Blt(&outside, plain, nullptr, 0, nullptr), DDERR_INVALIDRECT);
  EXPECT_EQ(plain->BltFast(0, 0, nullptr, nullptr, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(plain->GetDC(nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(plain->ReleaseDC(nullptr), DDERR_NODC);
  DDSCAPS2 caps = {};
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  EXPECT_EQ(plain->GetAttachedSurface(&caps, &surface), DDERR_NOTFOUND);
  EXPECT_EQ(plain->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
  EXPECT_EQ(directDraw->CreateClipper(1, &clipper, nullptr), DDERR_INVALIDPARAMS);
  ASSERT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
  EXPECT_EQ(clipper->SetHWnd(0, reinterpret_cast<HWND>(static_cast<uintptr_t>(0x77))), DDERR_INVALIDPARAMS);
  EXPECT_EQ(directDraw->QueryInterface(IID_IDirectDrawSurface7, &object), E_NOINTERFACE);
  ASSERT_EQ(directDraw->QueryInterface(IID_IUnknown, &object), S_OK);
  static_cast<IUnknown*>(object)->Release();
}

// The window changes the display set-up makes between the modes, in its order.
void styleForWindowed(HWND window) {
  SetWindowLongA(window, GWL_STYLE, (GetWindowLongA(window, GWL_STYLE) & 0x7F39FFFF) | 0x00C60000);
  RECT outer = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, GetWindowLongA(window, GWL_STYLE), GetMenu(window) != nullptr,
                     GetWindowLongA(window, GWL_EXSTYLE));
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

TEST_F(DirectDrawTest, TheClientAreaIsBackTo640x480AfterFullScreen) {
  ASSERT_EQ(setUpFullScreen(), DD_OK);
  RECT outer;
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, 0) << "the exclusive window covers the screen from its corner";
  EXPECT_EQ(outer.top, 0);
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SetMenu(window, nullptr);
  SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) & ~WS_SYSMENU);
  ASSERT_TRUE(SetCursorPos(580, 460));
  for (IDirectDrawSurface7*& surface : surfaces) surface = (surface->Release(), nullptr);
  directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
  directDraw->Release();
  directDraw = nullptr;

  ASSERT_EQ(setUpWindowed(), DD_OK);
  styleForWindowed(window);
  SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | WS_SYSMENU);
  SetMenu(window, LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU)));
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, kClientWidth);
  EXPECT_EQ(client.bottom, kClientHeight);
  EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT target = screenRect();
  ASSERT_EQ(fill(back, 0x336699), DD_OK);
  ASSERT_EQ(primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(clientPicture().at(639, 479), 0x336699u);
  EXPECT_FALSE(fullScreenShown());
}

TEST_F(DirectDrawTest, AnEightBitDesktopReportsItsDepth) {
  setDisplayFormat(8, 0, 0, 0);
  ASSERT_EQ(setUpWindowed(), DD_OK);
  DDPIXELFORMAT format = {};
  format.dwSize = sizeof(format);
  ASSERT_EQ(primary->GetPixelFormat(&format), DD_OK);
  EXPECT_EQ(format.dwRGBBitCount, 8u);
  EXPECT_TRUE(format.dwFlags & DDPF_PALETTEINDEXED8);
}

TEST_F(DirectDrawTest, AMissingFullScreenModeFailsTheModeChange) {
  setFullScreenModesAvailable(false);
  EXPECT_EQ(setUpFullScreen(), DDERR_INVALIDMODE);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

}  // namespace
