#include "fuzz/tool_input.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/ppm.h"
#include "tools/render/render_options.h"
#include "tools/scramble/scramble_options.h"

namespace {

// Set false by the first promise a reader breaks.
bool held = true;

void check(bool holds) { held = held && holds; }

std::vector<std::string> argumentsOf(const uint8_t* data, size_t size) {
  std::vector<std::string> arguments = {"tool"};
  std::string current;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      arguments.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  arguments.push_back(current);
  return arguments;
}

std::vector<char*> argvOf(std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return argv;
}

void checkRenderOptions(const lumiscene::RenderOptions& options) {
  check(!options.outDir.empty() && !options.times.empty());
  for (size_t i = 0; i < options.times.size(); ++i) {
    const uint32_t time = options.times[i];
    check(time > 0 && time % 10 == 0 && time <= lumiscene::maxRenderTime);
    check(i == 0 || options.times[i - 1] < time);
  }
  for (size_t i = 0; i < options.events.size(); ++i) {
    check(options.events[i].time <= options.times.back());
    check(i == 0 || options.events[i - 1].time <= options.events[i].time);
  }
}

void checkEvents(const std::vector<lumiscene::RenderEvent>& events) {
  for (const lumiscene::RenderEvent& event : events) {
    if (event.kind == lumiscene::RenderEventKind::Press)
      check(event.virtualKey > 0 && event.virtualKey < 256);
    if (event.kind == lumiscene::RenderEventKind::Menu) check(event.commandId <= 0xFFFF);
  }
}

}  // namespace

namespace lumiscene {

bool toolInputHolds(const uint8_t* data, size_t size) {
  held = true;
  if (size == 0) return true;
  const uint8_t reader = data[0] % 4;
  ++data;
  --size;
  std::string error;
  switch (reader) {
    case 0: {
      const std::vector<uint8_t> bytes(data, data + size);
      lumiscene::PpmPicture picture;
      if (lumiscene::parsePpm(bytes, picture, error)) {
        check(picture.width > 0 && picture.height > 0);
        const size_t count = static_cast<size_t>(picture.width) * picture.height;
        check(picture.pixels != nullptr && count * 3 <= bytes.size());
        // Every pixel written, and only the 24 colour bits (the sanitizers catch an overrun).
        check((picture.pixels[count - 1] >> 24) == 0);
      } else {
        check(!error.empty());
      }
      break;
    }
    case 1: {
      std::vector<std::string> arguments = argumentsOf(data, size);
      std::vector<char*> argv = argvOf(arguments);
      lumiscene::RenderOptions options;
      if (lumiscene::parseRenderOptions(static_cast<int>(arguments.size()), argv.data(), options, error)) {
        checkRenderOptions(options);
        checkEvents(options.events);
      } else {
        check(!error.empty() && error.find('\n') == std::string::npos);
      }
      break;
    }
    case 2: {
      std::vector<lumiscene::RenderEvent> events;
      if (lumiscene::parseEventScript(std::string(data, data + size), events, error))
        checkEvents(events);
      else
        check(!error.empty());
      break;
    }
    default: {
      std::vector<std::string> arguments = argumentsOf(data, size);
      std::vector<char*> argv = argvOf(arguments);
      lumiscene::ScrambleOptions options;
      if (lumiscene::parseScrambleOptions(static_cast<int>(arguments.size()), argv.data(), options, error))
        check(options.width >= 1 && options.width <= 32 && arguments.size() == 5);
      else
        check(!error.empty());
      break;
    }
  }
  return held;
}

}  // namespace lumiscene
