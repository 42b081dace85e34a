// Command line of lumiscene-render: the pictures, the frames wanted and the event script.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumiscene {

enum class RenderEventKind { SwitchKey, Pointer, Deactivate, Activate };

struct RenderEvent {
  uint32_t time = 0;
  RenderEventKind kind = RenderEventKind::SwitchKey;
  int32_t x = 0;
  int32_t y = 0;
};

struct RenderOptions {
  std::string picture1Path;
  std::string picture2Path;
  std::string outDir;
  std::vector<uint32_t> times;  // ascending, without repeats
  int32_t depth = 32;
  std::vector<RenderEvent> events;  // in time order; equal times keep their script order
  bool dumpPictures = false;
};

// Parses argv; on failure returns false with a one-line reason in `error`.
bool parseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error);

// Parses a comma-separated event script such as "0:pointer:10:0,500:key,900:deactivate".
bool parseEventScript(const std::string& script, std::vector<RenderEvent>& events, std::string& error);

}  // namespace lumiscene
