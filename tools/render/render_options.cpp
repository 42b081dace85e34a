#include "tools/render/render_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/win32.h"

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

// A piece of the command line as the one-line error quotes it: a line break or
// other control character in an argument must not split the message.
std::string printable(std::string text) {
  for (char& c : text)
    if (std::iscntrl(static_cast<unsigned char>(c))) c = '?';
  return text;
}

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

struct SimpleEvent {
  const char* name;
  RenderEventKind kind;
};

constexpr SimpleEvent simpleEvents[] = {
    {"key", RenderEventKind::SwitchKey},
    {"deactivate", RenderEventKind::Deactivate},
    {"activate", RenderEventKind::Activate},
    {"click", RenderEventKind::Click},
    {"minimize", RenderEventKind::Minimize},
    {"restore", RenderEventKind::Restore},
    {"lose-surfaces", RenderEventKind::LoseSurfaces},
    {"mode-change", RenderEventKind::ModeChange},
    {"exclusive-on", RenderEventKind::ExclusiveOn},
    {"exclusive-off", RenderEventKind::ExclusiveOff},
};

bool parseEvent(const std::string& item, RenderEvent& event) {
  const std::vector<std::string> fields = split(item, ':');
  if (fields.size() < 2 || !parseNumber(fields[0], event.time)) return false;
  const std::string& name = fields[1];
  for (const SimpleEvent& simple : simpleEvents) {
    if (name == simple.name) {
      event.kind = simple.kind;
      return fields.size() == 2;
    }
  }
  if (name == "pointer") {
    event.kind = RenderEventKind::Pointer;
    return fields.size() == 4 && parseNumber(fields[2], event.x) && parseNumber(fields[3], event.y);
  }
  if (name == "menu") {
    event.kind = RenderEventKind::Menu;
    return fields.size() == 3 && parseNumber(fields[2], event.commandId) && event.commandId <= 0xFFFF;
  }
  if (name == "press" && fields.size() == 3) {
    event.kind = RenderEventKind::Press;
    std::string key = fields[2];
    if (lowerCase(key).rfind("alt+", 0) == 0) {
      event.withAlt = true;
      key = key.substr(4);
    }
    event.virtualKey = virtualKeyNamed(key);
    return event.virtualKey != 0;
  }
  return false;
}

bool parseDesktopFormat(const std::string& value, DesktopFormat& format) {
  if (value == "8")
    format = {8, 0, 0, 0};
  else if (value == "16")
    format = {16, 0xF800, 0x07E0, 0x001F};
  else if (value == "16-555")
    format = {16, 0x7C00, 0x03E0, 0x001F};
  else if (value == "24")
    format = {24, 0xFF0000, 0x00FF00, 0x0000FF};
  else if (value == "32")
    format = {32, 0xFF0000, 0x00FF00, 0x0000FF};
  else if (value == "32-bgr")
    format = {32, 0x0000FF, 0x00FF00, 0xFF0000};
  else
    return false;
  return true;
}

}  // namespace

uint32_t virtualKeyNamed(const std::string& name) {
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
    return static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(name[0])));
  const std::string key = lowerCase(name);
  static const std::pair<const char*, uint32_t> named[] = {
      {"escape", VK_ESCAPE}, {"esc", VK_ESCAPE}, {"return", VK_RETURN},  {"enter", VK_RETURN},
      {"space", VK_SPACE},   {"tab", VK_TAB},    {"shift", VK_SHIFT},    {"control", VK_CONTROL},
      {"ctrl", VK_CONTROL},  {"alt", VK_MENU},   {"left", VK_LEFT},      {"right", VK_RIGHT},
      {"up", VK_UP},         {"down", VK_DOWN},  {"backspace", VK_BACK}, {"delete", VK_DELETE},
      {"home", VK_HOME},     {"end", VK_END},    {"insert", VK_INSERT},
  };
  for (const auto& [keyName, virtualKey] : named)
    if (key == keyName) return virtualKey;
  uint32_t number = 0;
  if (key.size() >= 2 && key[0] == 'f' && parseNumber(key.substr(1), number) && number >= 1 && number <= 12)
    return VK_F1 + number - 1;
  return 0;
}

bool parseEventScript(const std::string& script, std::vector<RenderEvent>& events, std::string& error) {
  events.clear();
  if (script.empty()) return true;
  for (const std::string& item : split(script, ',')) {
    RenderEvent event;
    if (!parseEvent(item, event)) {
      error = "bad event '" + printable(item) + "'";
      return false;
    }
    events.push_back(event);
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const RenderEvent& a, const RenderEvent& b) { return a.time < b.time; });
  return true;
}

bool parseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error) {
  // Starts from the defaults, whatever the caller passed in.
  options = RenderOptions{};
  bool haveTimes = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--dump-pictures") {
      options.dumpPictures = true;
      continue;
    }
    if (i + 1 >= argc) {
      error = "option " + printable(argument) + " is unknown or needs a value";
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
      if (!parseDesktopFormat(value, options.desktop)) {
        error = "--depth must be 8, 16, 16-555, 24, 32 or 32-bgr";
        return false;
      }
    } else if (argument == "--events") {
      if (!parseEventScript(value, options.events, error)) return false;
    } else if (argument == "--at") {
      haveTimes = true;
      options.times.clear();
      for (const std::string& item : split(value, ',')) {
        uint32_t time = 0;
        if (!parseNumber(item, time) || time == 0 || time % 10 != 0 || time > maxRenderTime) {
          error = "--at takes positive multiples of 10 milliseconds up to " + std::to_string(maxRenderTime) +
                  " (one day), not '" + printable(item) + "'";
          return false;
        }
        options.times.push_back(time);
      }
    } else {
      error = "unknown option " + printable(argument);
      return false;
    }
  }
  if (options.outDir.empty() || !haveTimes) {
    error = "--out and --at are required";
    return false;
  }
  std::sort(options.times.begin(), options.times.end());
  options.times.erase(std::unique(options.times.begin(), options.times.end()), options.times.end());
  // Nothing is written after the last frame, so an event after it could only
  // keep the program running for nothing (for hours, at worst).
  if (!options.events.empty() && options.events.back().time > options.times.back()) {
    error = "event at " + std::to_string(options.events.back().time) + " ms comes after the last frame (" +
            std::to_string(options.times.back()) + " ms)";
    return false;
  }
  return true;
}

}  // namespace lumiscene
