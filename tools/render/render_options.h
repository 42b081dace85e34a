// Command line of lumiscene-render: the pictures, the display format, the
// frames wanted and the event script.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumiscene {

enum class RenderEventKind {
  SwitchKey,     // T:key (a press of a key that switches the composition)
  Pointer,       // T:pointer:X:Y
  Deactivate,    // T:deactivate
  Activate,      // T:activate
  Press,         // T:press:KEY, KEY possibly with "alt+"
  Click,         // T:click (in the middle of the client area)
  Menu,          // T:menu:ID
  Minimize,      // T:minimize
  Restore,       // T:restore
  LoseSurfaces,  // T:lose-surfaces
  ModeChange,    // T:mode-change
  ExclusiveOn,   // T:exclusive-on
  ExclusiveOff,  // T:exclusive-off
};

struct RenderEvent {
  uint32_t time = 0;
  RenderEventKind kind = RenderEventKind::SwitchKey;
  int32_t x = 0;  // Pointer: the position
  int32_t y = 0;
  uint32_t virtualKey = 0;  // Press
  bool withAlt = false;     // Press
  uint32_t commandId = 0;   // Menu
};

// The desktop's pixel format.
struct DesktopFormat {
  int32_t bits = 32;
  uint32_t redMask = 0xFF0000;
  uint32_t greenMask = 0x00FF00;
  uint32_t blueMask = 0x0000FF;
};

struct RenderOptions {
  std::string picture1Path;  // empty: the embedded picture
  std::string picture2Path;
  std::string outDir;
  std::vector<uint32_t> times;  // ascending, without repeats
  DesktopFormat desktop;
  std::vector<RenderEvent> events;  // in time order; equal times keep their script order
  bool dumpPictures = false;
};

// The latest frame time --at accepts: one virtual day, in milliseconds.
constexpr uint32_t maxRenderTime = 86'400'000;

// Parses argv; on failure returns false with a one-line reason in `error`.
// Frame times run up to maxRenderTime; events may come at the last frame's
// time but not after it.
bool parseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error);

// Parses a comma-separated event script such as "0:pointer:10:0,500:key,900:press:alt+Return".
bool parseEventScript(const std::string& script, std::vector<RenderEvent>& events, std::string& error);

// The Windows virtual key of a key name: a letter, a digit, Escape, Return,
// Space, Tab, Shift, Control, Alt, Left ... or F1 to F12; 0 when unknown.
uint32_t virtualKeyNamed(const std::string& name);

}  // namespace lumiscene
