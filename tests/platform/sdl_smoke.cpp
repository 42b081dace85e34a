// Shows a window through the SDL backend the way the player does (menu 102,
// windowed DirectDraw, a frame presented into the client area) and writes what
// it presented, so that a screenshot of the X server can be compared with it.
//
//   platform_sdl_smoke <out-dir>
// prints "ready X Y W H" (where the window content is on the screen) once the
// frame is up, writes <out-dir>/expected.rgb (the content: menu strip and
// client area, 8-bit RGB) and keeps presenting until killed or 60 s have passed.
// Exit codes: 0 done, 2 window creation failed (no display), 1 other failure.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32.h"
#include "resources/resource_ids.h"

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Four quadrants of distinct colours, with a white cross: easy to find and to compare exactly.
uint32_t patternAt(int x, int y) {
  if (x == 320 || y == 240) return 0xFFFFFF;
  static const uint32_t colours[4] = {0xC03020, 0x20A040, 0x3050D0, 0xE0C020};
  return colours[(x >= 320 ? 1 : 0) + (y >= 240 ? 2 : 0)];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 1;
  const std::string outDir = argv[1];
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_LUMISCENE));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_HELP);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
  windowClass.lpszClassName = "LumisceneSmoke";
  if (RegisterClassExA(&windowClass) == 0) return 1;
  const int width = 640 + 2 * GetSystemMetrics(SM_CXFRAME);
  const int height =
      480 + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYMENU);
  HWND window = CreateWindowExA(0, "LumisceneSmoke", "Lumiscene smoke test",
                                WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, CW_USEDEFAULT,
                                CW_USEDEFAULT, width, height, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    std::fprintf(stderr, "window creation failed\n");
    return 2;
  }
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);

  IDirectDraw7* directDraw = nullptr;
  IDirectDrawSurface7* primary = nullptr;
  IDirectDrawSurface7* back = nullptr;
  IDirectDrawClipper* clipper = nullptr;
  DDSURFACEDESC2 desc = {};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr) !=
          DD_OK ||
      directDraw->SetCooperativeLevel(window, DDSCL_NORMAL) != DD_OK ||
      directDraw->CreateSurface(&desc, &primary, nullptr) != DD_OK)
    return 1;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  desc.dwWidth = 640;
  desc.dwHeight = 480;
  if (directDraw->CreateSurface(&desc, &back, nullptr) != DD_OK ||
      directDraw->CreateClipper(0, &clipper, nullptr) != DD_OK || clipper->SetHWnd(0, window) != DD_OK ||
      primary->SetClipper(clipper) != DD_OK)
    return 1;

  // The frame goes in through the surface's own format, as the program's transfer does.
  DDSURFACEDESC2 locked = {};
  locked.dwSize = sizeof(locked);
  if (back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) != DD_OK) return 1;
  const DDPIXELFORMAT& format = locked.ddpfPixelFormat;
  auto place = [](uint32_t mask, uint32_t value) {
    int low = 0, bits = 0;
    while (low < 32 && !(mask & (1u << low))) ++low;
    while (low + bits < 32 && (mask & (1u << (low + bits)))) ++bits;
    return bits == 0 ? 0u : (value >> (8 - (bits > 8 ? 8 : bits))) << low;
  };
  const int bytes = static_cast<int>(format.dwRGBBitCount) / 8;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const uint32_t rgb = patternAt(x, y);
      const uint32_t value = place(format.dwRBitMask, rgb >> 16) |
                             place(format.dwGBitMask, (rgb >> 8) & 0xFF) |
                             place(format.dwBBitMask, rgb & 0xFF);
      auto* at = static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * bytes;
      for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
  back->Unlock(nullptr);

  auto present = [&] {
    RECT client;
    GetClientRect(window, &client);
    POINT corner = {0, 0};
    ClientToScreen(window, &corner);
    RECT target = {corner.x, corner.y, corner.x + client.right, corner.y + client.bottom};
    return primary->Blt(&target, back, nullptr, DDBLT_WAIT, nullptr);
  };
  const auto start = std::chrono::steady_clock::now();
  bool announced = false;
  MSG message;
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      DispatchMessageA(&message);
    }
    if (present() != DD_OK) return 1;
    if (!announced && std::chrono::steady_clock::now() - start > std::chrono::milliseconds(500)) {
      // The content the screen must show: the menu strip (read from a window DC is not
      // possible, so it is taken from the first screenshot's strip by the script) and the frame.
      RECT client;
      GetClientRect(window, &client);
      POINT corner = {0, 0};
      ClientToScreen(window, &corner);
      std::vector<unsigned char> expected(static_cast<size_t>(client.right) * client.bottom * 3);
      for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) {
          const uint32_t rgb = patternAt(x, y);
          unsigned char* at = &expected[(static_cast<size_t>(y) * client.right + x) * 3];
          at[0] = static_cast<unsigned char>(rgb >> 16);
          at[1] = static_cast<unsigned char>(rgb >> 8);
          at[2] = static_cast<unsigned char>(rgb);
        }
      FILE* file = std::fopen((outDir + "/expected.rgb").c_str(), "wb");
      if (file == nullptr) return 1;
      std::fwrite(expected.data(), 1, expected.size(), file);
      std::fclose(file);
      std::printf("ready %ld %ld %ld %ld %d\n", static_cast<long>(corner.x), static_cast<long>(corner.y),
                  static_cast<long>(client.right), static_cast<long>(client.bottom),
                  GetSystemMetrics(SM_CYMENU));
      std::fflush(stdout);
      announced = true;
    }
    Sleep(20);
  }
  return 0;
}
