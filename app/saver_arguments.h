// The command line Windows gives a screensaver: /s to run full-screen, /p HWND
// to draw the small preview into the settings page's window, /c or nothing for
// the saver's own settings. Windows and its tools write these forms loosely
// (/S, -s, /s:1234, /p:1234, /c:1234), so the letter's case, the leading
// slash or dash and a colon before the window all vary.
#pragma once

#include <cstdint>
#include <string>

namespace lumiscene {

enum class SaverMode { fullScreen, preview, settings, unknown };

struct SaverArguments {
  SaverMode mode = SaverMode::settings;
  // The preview's parent or the settings dialog's owner, as the number Windows
  // wrote; 0 when none was given (settings only: the foreground window owns it then).
  uintptr_t window = 0;
  // For an unknown argument: the word as given, for the message that names it.
  std::string argument;
};

SaverArguments parseSaverArguments(const char* commandLine);

}  // namespace lumiscene
