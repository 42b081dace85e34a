// The window, its messages and its geometry, as the program relies on them.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/platform/test_support.h"

using namespace platform_test;

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { resetPlatform(); }
};

RECT clientOnScreen(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  POINT corner = {0, 0};
  ClientToScreen(window, &corner);
  return {corner.x, corner.y, corner.x + client.right, corner.y + client.bottom};
}

TEST_F(WindowTest, CreationSendsTrackingSizeThenSizeAndMoveBeforeReturning) {
  HWND window = createProgramWindow();
  ASSERT_NE(window, nullptr);
  const int minMax = firstIndex(WM_GETMINMAXINFO), create = firstIndex(WM_CREATE);
  const int size = firstIndex(WM_SIZE), move = firstIndex(WM_MOVE);
  ASSERT_GE(minMax, 0);
  ASSERT_GE(size, 0);
  ASSERT_GE(move, 0);
  EXPECT_LT(minMax, create);
  EXPECT_LT(create, size);
  EXPECT_LT(size, move);
  const Logged sized = messageLog()[size];
  EXPECT_EQ(sized.wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(LOWORD(sized.lParam), kClientWidth);
  EXPECT_EQ(HIWORD(sized.lParam), kClientHeight);
  const RECT client = clientOnScreen(window);
  EXPECT_EQ(GET_X_LPARAM(messageLog()[move].lParam), client.left);
  EXPECT_EQ(GET_Y_LPARAM(messageLog()[move].lParam), client.top);
  EXPECT_EQ(firstIndex(WM_ACTIVATE), -1) << "a window is not active before it is shown";
}

TEST_F(WindowTest, ShowMinimiseAndRestoreReportTheStateChanges) {
  HWND window = createProgramWindow();
  messageLog().clear();
  EXPECT_FALSE(ShowWindow(window, SW_SHOWNORMAL));
  EXPECT_TRUE(UpdateWindow(window));
  ASSERT_EQ(logged(WM_ACTIVATE).size(), 1u);
  EXPECT_EQ(LOWORD(logged(WM_ACTIVATE)[0].wParam), WA_ACTIVE);
  EXPECT_TRUE(IsWindowVisible(window));

  messageLog().clear();
  EXPECT_TRUE(ShowWindow(window, SW_MINIMIZE));
  ASSERT_EQ(logged(WM_SIZE).size(), 1u);
  EXPECT_EQ(logged(WM_SIZE)[0].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
  ASSERT_EQ(logged(WM_ACTIVATE).size(), 1u);
  EXPECT_EQ(LOWORD(logged(WM_ACTIVATE)[0].wParam), WA_INACTIVE);
  EXPECT_TRUE(IsIconic(window));

  messageLog().clear();
  ShowWindow(window, SW_RESTORE);
  ASSERT_EQ(logged(WM_SIZE).size(), 1u);
  EXPECT_EQ(logged(WM_SIZE)[0].wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(LOWORD(logged(WM_SIZE)[0].lParam), kClientWidth);
  EXPECT_EQ(LOWORD(logged(WM_ACTIVATE).at(0).wParam), WA_ACTIVE);
  EXPECT_EQ(HIWORD(logged(WM_ACTIVATE).at(0).wParam), 0);
}

TEST_F(WindowTest, GeometryCallsAgreeWithEachOther) {
  HWND window = createProgramWindow();
  RECT outer;
  ASSERT_TRUE(GetWindowRect(window, &outer));
  EXPECT_EQ(outer.right - outer.left, outerWidth());
  EXPECT_EQ(outer.bottom - outer.top, outerHeight());
  const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  RECT adjusted = {0, 0, kClientWidth, kClientHeight};
  ASSERT_TRUE(AdjustWindowRectEx(&adjusted, style, TRUE, 0));
  EXPECT_EQ(adjusted.right - adjusted.left, outerWidth());
  EXPECT_EQ(adjusted.bottom - adjusted.top, outerHeight());
  // The client area sits inside the outer rectangle, offset exactly as the adjustment says.
  const RECT client = clientOnScreen(window);
  EXPECT_EQ(client.left - outer.left, -adjusted.left);
  EXPECT_EQ(client.top - outer.top, -adjusted.top);
  EXPECT_EQ(client.right - client.left, kClientWidth);
  EXPECT_EQ(client.bottom - client.top, kClientHeight);

  RECT work;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_GE(work.left, 0);
  EXPECT_LE(work.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_LE(work.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_GE(outer.left, work.left);
  EXPECT_GE(outer.top, work.top);
}

TEST_F(WindowTest, MenuChangesKeepTheOuterSizeAndTrackingSizeHoldsIt) {
  HWND window = createProgramWindow();
  HMENU menu = GetMenu(window);
  ASSERT_NE(menu, nullptr);
  RECT before, after, client;
  GetWindowRect(window, &before);
  messageLog().clear();
  ASSERT_TRUE(SetMenu(window, nullptr));
  GetWindowRect(window, &after);
  GetClientRect(window, &client);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  EXPECT_EQ(client.bottom, kClientHeight + GetSystemMetrics(SM_CYMENU));
  ASSERT_FALSE(logged(WM_SIZE).empty());

  // The windowed set-up sizes the window for no menu; the tracking size holds
  // it, so once the menu is back the client area is 640 x 480 again.
  RECT wanted = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&wanted, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE, 0);
  ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, wanted.right - wanted.left, wanted.bottom - wanted.top,
                           SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE));
  GetWindowRect(window, &after);
  EXPECT_EQ(after.bottom - after.top, outerHeight());
  ASSERT_TRUE(SetMenu(window, LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU))));
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, kClientWidth);
  EXPECT_EQ(client.bottom, kClientHeight);
}

TEST_F(WindowTest, MovingSendsWmMoveAndStyleBitsAreKept) {
  HWND window = createProgramWindow();
  ShowWindow(window, SW_SHOWNORMAL);
  messageLog().clear();
  ASSERT_TRUE(SetWindowPos(window, nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  ASSERT_EQ(logged(WM_MOVE).size(), 1u);
  EXPECT_EQ(logged(WM_SIZE).size(), 0u);
  EXPECT_EQ(GET_X_LPARAM(logged(WM_MOVE)[0].lParam), clientOnScreen(window).left);
  RECT outer;
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, 100);
  EXPECT_EQ(outer.top, 80);

  const LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_VISIBLE);
  SetWindowLongA(window, GWL_STYLE, (style | WS_POPUP) & ~WS_SYSMENU);
  const LONG popup = GetWindowLongA(window, GWL_STYLE);
  EXPECT_TRUE(popup & WS_POPUP);
  EXPECT_FALSE(popup & WS_SYSMENU);
  SetWindowLongA(window, GWL_STYLE, (popup & 0x7F39FFFF) | 0x00C60000);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & 0xFFFF0000u,
            static_cast<DWORD>(WS_VISIBLE | WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX));
}

TEST_F(WindowTest, CloseDestroysTheWindowAndEndsTheLoop) {
  HWND window = createProgramWindow();
  ShowWindow(window, SW_SHOWNORMAL);
  ASSERT_TRUE(PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0));
  int quitCode = -1;
  EXPECT_FALSE(pumpMessages(window, nullptr, &quitCode));
  EXPECT_EQ(quitCode, 0);
  EXPECT_FALSE(IsWindow(window));
  const int close = firstIndex(WM_CLOSE), destroy = firstIndex(WM_DESTROY);
  ASSERT_GE(close, 0);
  EXPECT_GT(destroy, close);
  // Calls on the dead handle fail instead of following it.
  RECT rect;
  EXPECT_FALSE(GetWindowRect(window, &rect));
  EXPECT_FALSE(ShowWindow(window, SW_SHOW));
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0);
}

TEST_F(WindowTest, ClosingFromTheWindowManagerArrivesAsSystemClose) {
  HWND window = createProgramWindow();
  ShowWindow(window, SW_SHOWNORMAL);
  requestClose();
  EXPECT_FALSE(pumpMessages(window, nullptr));
  ASSERT_EQ(logged(WM_SYSCOMMAND).size(), 1u);
  EXPECT_EQ(logged(WM_SYSCOMMAND)[0].wParam, static_cast<WPARAM>(SC_CLOSE));
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowTest, PeekWithoutRemovalLeavesTheMessageAndQuitComesLast) {
  HWND window = createProgramWindow();
  PostMessageA(window, WM_USER, 1, 0);
  PostQuitMessage(3);
  PostMessageA(window, WM_USER + 1, 2, 0);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.wParam, 1u);
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), 0);
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, BadArgumentsFailTheWindowsWay) {
  EXPECT_EQ(
      CreateWindowExA(0, "NoSuchClass", "", WS_CAPTION, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
      nullptr);
  EXPECT_EQ(RegisterClassExA(nullptr), 0);
  ASSERT_NE(createProgramWindow(), nullptr);
  WNDCLASSEXA again = {};
  again.cbSize = sizeof(again);
  again.lpfnWndProc = DefWindowProcA;
  again.lpszClassName = "platformtest";
  EXPECT_EQ(RegisterClassExA(&again), 0) << "class names ignore case";
  HWND bogus = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
  RECT rect;
  POINT point = {0, 0};
  EXPECT_FALSE(GetWindowRect(bogus, &rect));
  EXPECT_FALSE(GetClientRect(bogus, &rect));
  EXPECT_FALSE(ClientToScreen(bogus, &point));
  EXPECT_FALSE(SetWindowPos(bogus, nullptr, 0, 0, 1, 1, SWP_NOZORDER));
  EXPECT_EQ(GetWindowLongA(bogus, GWL_STYLE), 0);
  EXPECT_FALSE(SetMenu(bogus, nullptr));
  EXPECT_FALSE(AdjustWindowRectEx(nullptr, WS_CAPTION, FALSE, 0));
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETWORKAREA, 0, nullptr, 0));
  EXPECT_EQ(DispatchMessageA(nullptr), 0);
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  EXPECT_FALSE(PostMessageA(bogus, WM_USER, 0, 0));
  EXPECT_EQ(TranslateAcceleratorA(bogus, nullptr, nullptr), 0);
}

TEST_F(WindowTest, WithoutADisplayWindowCreationFailsCleanly) {
  setDisplayAvailable(false);
  EXPECT_EQ(createProgramWindow(), nullptr);
  EXPECT_EQ(firstIndex(WM_CREATE), -1);
  LPVOID directDraw = reinterpret_cast<LPVOID>(1);
  EXPECT_LT(DirectDrawCreateEx(nullptr, &directDraw, IID_IDirectDraw7, nullptr), 0);
  EXPECT_EQ(directDraw, nullptr);
}

TEST_F(WindowTest, WaitingForInputThatCannotComeFailsInsteadOfHanging) {
  static int stalls = 0;
  stalls = 0;
  setStallHandler([](const char*) { ++stalls; });
  createProgramWindow();
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_FALSE(WaitMessage());
  EXPECT_EQ(stalls, 1);
  EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), 0) << "a stalled wait ends the loop like a quit";
}

}  // namespace
