// window_probe: reports, for the Wine end-to-end tests, what the running
// lumiscene.exe's (or lumiscene.scr's) windows look like from inside the same Wine session.
//
//   window_probe main    the main window: outer and client rectangles in screen
//                        pixels, menu bar, style, menu mode and the display mode
//   window_probe about   the About dialog owned by the main window, if one is open,
//                        with its web button's rectangle
//   window_probe settings  lumiscene.scr's settings dialog, if one is open, with
//                        its OK button's rectangle, its owner and the picture
//                        paths it shows
//   window_probe dialog TITLE  whether a dialog of that title is open
//   window_probe mode    the display mode alone
//
// The answer is a list of shell assignments (name=value), one a line.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

void printRect(const char* name, const RECT& rect) {
  std::printf("%s_left=%ld\n%s_top=%ld\n%s_width=%ld\n%s_height=%ld\n", name, rect.left, name, rect.top, name,
              rect.right - rect.left, name, rect.bottom - rect.top);
}

void printMode() {
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof(mode));
  mode.dmSize = sizeof(mode);
  if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode))
    std::printf("mode_width=%lu\nmode_height=%lu\nmode_bits=%lu\n", mode.dmPelsWidth, mode.dmPelsHeight,
                mode.dmBitsPerPel);
}

int probeSettings() {
  HWND dialog = FindWindowA("#32770", "Lumiscene screensaver");
  const bool shown = dialog != nullptr && IsWindowVisible(dialog);
  std::printf("settings=%d\n", shown ? 1 : 0);
  if (!shown) return 0;
  RECT rect;
  GetWindowRect(dialog, &rect);
  printRect("dialog", rect);
  std::printf("owner=%llu\n",
              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(GetWindow(dialog, GW_OWNER))));
  if (HWND button = GetDlgItem(dialog, IDOK); button != nullptr) {
    GetWindowRect(button, &rect);
    printRect("button", rect);
  }
  // The picture paths it shows (controls 1010 and 1012), quoted for the shell.
  char text[512] = {};
  GetDlgItemTextA(dialog, 1010, text, sizeof(text));
  std::printf("first_path='%s'\n", text);
  GetDlgItemTextA(dialog, 1012, text, sizeof(text));
  std::printf("second_path='%s'\n", text);
  return 0;
}

int probeDialog(const char* title) {
  HWND dialog = FindWindowA("#32770", title);
  std::printf("dialog_found=%d\n", dialog != nullptr && IsWindowVisible(dialog) ? 1 : 0);
  return 0;
}

int probeMain(HWND window) {
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  POINT topLeft{0, 0};
  ClientToScreen(window, &topLeft);
  OffsetRect(&client, topLeft.x, topLeft.y);
  printRect("window", outer);
  printRect("client", client);
  std::printf("menu=%d\n", GetMenu(window) != nullptr ? 1 : 0);
  std::printf("style=0x%08lX\n", static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)));
  std::printf("visible=%d\n", IsWindowVisible(window) ? 1 : 0);
  GUITHREADINFO thread;
  std::memset(&thread, 0, sizeof(thread));
  thread.cbSize = sizeof(thread);
  const bool inMenu = GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) &&
                      (thread.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
  std::printf("menu_mode=%d\n", inMenu ? 1 : 0);
  printMode();
  return 0;
}

struct DialogSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK findOwnedDialog(HWND candidate, LPARAM parameter) {
  auto* search = reinterpret_cast<DialogSearch*>(parameter);
  char name[32] = {};
  GetClassNameA(candidate, name, sizeof(name));
  if (std::strcmp(name, "#32770") == 0 && IsWindowVisible(candidate) &&
      GetWindow(candidate, GW_OWNER) == search->owner) {
    search->found = candidate;
    return FALSE;
  }
  return TRUE;
}

int probeAbout(HWND window) {
  DialogSearch search{window, nullptr};
  EnumWindows(findOwnedDialog, reinterpret_cast<LPARAM>(&search));
  std::printf("about=%d\n", search.found != nullptr ? 1 : 0);
  if (search.found == nullptr) return 0;
  RECT dialog;
  GetWindowRect(search.found, &dialog);
  printRect("dialog", dialog);
  if (HWND button = GetDlgItem(search.found, 1004); button != nullptr) {
    RECT rect;
    GetWindowRect(button, &rect);
    printRect("button", rect);
    char text[128] = {};
    GetWindowTextA(button, text, sizeof(text));
    std::printf("button_text='%s'\n", text);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* what = argc > 1 ? argv[1] : "main";
  if (std::strcmp(what, "mode") == 0) {
    printMode();
    return 0;
  }
  if (std::strcmp(what, "settings") == 0) return probeSettings();
  if (std::strcmp(what, "dialog") == 0 && argc > 2) return probeDialog(argv[2]);
  HWND window = FindWindowA("Lumiscene", nullptr);
  std::printf("found=%d\n", window != nullptr ? 1 : 0);
  if (window == nullptr) return 0;
  if (std::strcmp(what, "about") == 0) return probeAbout(window);
  return probeMain(window);
}
