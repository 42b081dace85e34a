// saver_host: plays the part of the Windows settings page for lumiscene.scr in
// the Wine end-to-end test. It makes a window, starts the saver for it and
// reports what happened as shell assignments (name=value), one a line.
//
//   saver_host preview SAVER STOP_FILE
//       A parent window whose client area is 400 x 240; starts "SAVER /p HWND",
//       and once the saver's child window is in it prints the client area's
//       screen rectangle and ready=1. When STOP_FILE exists it destroys the
//       parent and reports whether the saver ended within 3 s, and its exit code.
//   saver_host settings SAVER
//       An owner window; starts "SAVER /c:HWND", prints ready=1 and whether the
//       settings dialog is owned by that window once it shows, then the
//       saver's exit code when it ends (at most 30 s later).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

void say(const char* format, unsigned long long value) {
  std::printf(format, value);
  std::fflush(stdout);
}

void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

HWND makeWindow(const char* title, int clientWidth, int clientHeight) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = "SaverHost";
  RegisterClassA(&windowClass);
  RECT outer{0, 0, clientWidth, clientHeight};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE | WS_CLIPCHILDREN;
  AdjustWindowRect(&outer, style, FALSE);
  HWND window = CreateWindowA("SaverHost", title, style, 100, 100, outer.right - outer.left,
                              outer.bottom - outer.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  pump();
  return window;
}

bool startSaver(const std::string& saver, const std::string& arguments, PROCESS_INFORMATION& process) {
  std::string commandLine = "\"" + saver + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  return CreateProcessA(saver.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process) != 0;
}

// Waits up to ms for the process, handling this thread's messages meanwhile.
bool waitForEnd(HANDLE process, DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    if (MsgWaitForMultipleObjects(1, &process, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) return true;
    pump();
  }
  return false;
}

unsigned long long handleNumber(HWND window) {
  return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window));
}

void reportEnd(HANDLE process, DWORD ms, const char* prefix) {
  const bool ended = waitForEnd(process, ms);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  std::printf("%s_ended=%d\n%s_exit=%lu\n", prefix, ended ? 1 : 0, prefix, static_cast<unsigned long>(code));
  std::fflush(stdout);
  if (!ended) TerminateProcess(process, 99);
}

int preview(const std::string& saver, const char* stopFile) {
  HWND parent = makeWindow("Preview host", 400, 240);
  PROCESS_INFORMATION process{};
  if (!startSaver(saver, "/p " + std::to_string(handleNumber(parent)), process)) {
    std::printf("started=0\n");
    return 1;
  }
  for (int i = 0; i < 400 && GetWindow(parent, GW_CHILD) == nullptr; ++i) waitForEnd(process.hProcess, 50);
  HWND child = GetWindow(parent, GW_CHILD);
  RECT client;
  GetClientRect(parent, &client);
  POINT origin{0, 0};
  ClientToScreen(parent, &origin);
  say("host_left=%llu\n", static_cast<unsigned long long>(origin.x));
  say("host_top=%llu\n", static_cast<unsigned long long>(origin.y));
  say("host_width=%llu\n", static_cast<unsigned long long>(client.right));
  say("host_height=%llu\n", static_cast<unsigned long long>(client.bottom));
  RECT childRect{0, 0, 0, 0};
  if (child != nullptr) GetWindowRect(child, &childRect);
  say("child=%llu\n", child != nullptr ? 1 : 0);
  say("child_width=%llu\n", static_cast<unsigned long long>(childRect.right - childRect.left));
  say("child_height=%llu\n", static_cast<unsigned long long>(childRect.bottom - childRect.top));
  say("ready=%llu\n", 1);
  for (int i = 0; i < 1200 && GetFileAttributesA(stopFile) == INVALID_FILE_ATTRIBUTES; ++i)
    waitForEnd(process.hProcess, 50);
  DestroyWindow(parent);
  reportEnd(process.hProcess, 3000, "preview");
  return 0;
}

int settings(const std::string& saver) {
  HWND owner = makeWindow("Settings host", 300, 200);
  PROCESS_INFORMATION process{};
  if (!startSaver(saver, "/c:" + std::to_string(handleNumber(owner)), process)) {
    std::printf("started=0\n");
    return 1;
  }
  HWND dialog = nullptr;
  for (int i = 0; i < 400 && (dialog == nullptr || !IsWindowVisible(dialog)); ++i) {
    waitForEnd(process.hProcess, 50);
    dialog = FindWindowA("#32770", "Lumiscene screensaver");
  }
  say("dialog=%llu\n", dialog != nullptr ? 1 : 0);
  say("owned=%llu\n", dialog != nullptr && GetWindow(dialog, GW_OWNER) == owner ? 1 : 0);
  say("ready=%llu\n", 1);
  reportEnd(process.hProcess, 30000, "settings");
  DestroyWindow(owner);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "preview") == 0) return preview(argv[2], argv[3]);
  if (argc >= 3 && std::strcmp(argv[1], "settings") == 0) return settings(argv[2]);
  std::fprintf(stderr, "usage: saver_host preview SAVER STOP_FILE | settings SAVER\n");
  return 2;
}
