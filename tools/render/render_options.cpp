#include "tools/render/render_options.h"

#include <algorithm>
#include <charconv>

namespace lumiscene {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

template <typename T>
bool parseNumber(const std::string& text, T& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  const auto [end, code] = std::from_chars(first, last, value);
  return !text.empty() && code == std::errc{} && end == last;
}

bool parseEvent(const std::string& item, RenderEvent& event, std::string& error) {
  const std::vector<std::string> fields = split(item, ':');
  if (fields.size() < 2 || !parseNumber(fields[0], event.time)) {
    error = "bad event '" + item + "' (expected T:key, T:pointer:X:Y, T:deactivate or T:activate)";
    return false;
  }
  const std::string& name = fields[1];
  if (name == "key" && fields.size() == 2) {
    event.kind = RenderEventKind::SwitchKey;
  } else if (name == "deactivate" && fields.size() == 2) {
    event.kind = RenderEventKind::Deactivate;
  } else if (name == "activate" && fields.size() == 2) {
    event.kind = RenderEventKind::Activate;
  } else if (name == "pointer" && fields.size() == 4 && parseNumber(fields[2], event.x) &&
             parseNumber(fields[3], event.y)) {
    event.kind = RenderEventKind::Pointer;
  } else {
    error = "bad event '" + item + "' (expected T:key, T:pointer:X:Y, T:deactivate or T:activate)";
    return false;
  }
  return true;
}

}  // namespace

bool parseEventScript(const std::string& script, std::vector<RenderEvent>& events, std::string& error) {
  events.clear();
  if (script.empty()) return true;
  for (const std::string& item : split(script, ',')) {
    RenderEvent event;
    if (!parseEvent(item, event, error)) return false;
    events.push_back(event);
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const RenderEvent& a, const RenderEvent& b) { return a.time < b.time; });
  return true;
}

bool parseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error) {
  bool haveTimes = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--dump-pictures") {
      options.dumpPictures = true;
      continue;
    }
    if (i + 1 >= argc) {
      error = "option " + argument + " is unknown or needs a value";
      return false;
    }
    const std::string value = argv[++i];
    if (argument == "--picture1") {
      options.picture1Path = value;
    } else if (argument == "--picture2") {
      options.picture2Path = value;
    } else if (argument == "--out") {
      options.outDir = value;
    } else if (argument == "--depth") {
      if (value != "16" && value != "24" && value != "32") {
        error = "--depth must be 16, 24 or 32";
        return false;
      }
      parseNumber(value, options.depth);
    } else if (argument == "--events") {
      if (!parseEventScript(value, options.events, error)) return false;
    } else if (argument == "--at") {
      haveTimes = true;
      options.times.clear();
      for (const std::string& item : split(value, ',')) {
        uint32_t time = 0;
        if (!parseNumber(item, time) || time == 0 || time % 10 != 0) {
          error = "--at takes positive multiples of 10 milliseconds, not '" + item + "'";
          return false;
        }
        options.times.push_back(time);
      }
    } else {
      error = "unknown option " + argument;
      return false;
    }
  }
  if (options.picture1Path.empty() || options.picture2Path.empty() || options.outDir.empty() || !haveTimes) {
    error = "--picture1, --picture2, --out and --at are required";
    return false;
  }
  std::sort(options.times.begin(), options.times.end());
  options.times.erase(std::unique(options.times.begin(), options.times.end()), options.times.end());
  return true;
}

}  // namespace lumiscene
