#include "fuzz/render_script.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "tools/render/render_run.h"

namespace lumiscene {

namespace {

// Reads the input from the front; past its end every read gives zeros, so any
// prefix of an input is an input too and the fuzzer can shorten freely.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint32_t word() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | byte();
    return value;
  }
  // 0 to count - 1.
  uint32_t below(uint32_t count) { return byte() % count; }
  bool empty() const { return at_ >= size_; }
  std::vector<uint8_t> bytes(size_t count) {
    count = std::min(count, size_ - std::min(at_, size_));
    std::vector<uint8_t> taken(data_ + at_, data_ + at_ + count);
    at_ += count;
    return taken;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

constexpr const char* depths[] = {"8", "16", "16-555", "24", "32", "32-bgr"};

// The program's own commands, its dialog's buttons and a few that mean nothing to it.
constexpr uint32_t menuIds[] = {1000, 1001, 1002, 40002, 1004, 1, 2, 0};

constexpr const char* namedKeys[] = {"Escape", "Return", "Space", "Tab",  "Shift", "Control", "Alt",
                                     "Left",   "Right",  "Up",    "Down", "F4",    "F5",      "F10",
                                     "T",      "P",      "X",     "F",    "A",     "Delete",  "Home"};

constexpr const char* simpleEvents[] = {"key",          "click",        "activate",      "deactivate",
                                        "minimize",     "restore",      "lose-surfaces", "mode-change",
                                        "exclusive-on", "exclusive-off"};

// Frames every 10 ms while active, so a quarter second is two dozen frames:
// enough for every state, few enough for thousands of runs.
constexpr uint32_t lastFrameLimit = 250;

std::string eventFor(ByteReader& in, uint32_t time) {
  const std::string at = std::to_string(time) + ":";
  switch (in.below(4)) {
    case 0: {
      const auto x = static_cast<int32_t>(in.word());
      const auto y = static_cast<int32_t>(in.word());
      // Mostly on or near the screen, sometimes anywhere an int reaches.
      if (in.byte() & 1) return at + "pointer:" + std::to_string(x) + ":" + std::to_string(y);
      return at + "pointer:" + std::to_string(x % 1300 - 100) + ":" + std::to_string(y % 1000 - 100);
    }
    case 1: {
      const uint32_t choice = in.below(std::size(namedKeys) + 36);
      std::string key;
      if (choice < std::size(namedKeys))
        key = namedKeys[choice];
      else if (choice - std::size(namedKeys) < 26)
        key = std::string(1, static_cast<char>('A' + choice - std::size(namedKeys)));
      else
        key = std::string(1, static_cast<char>('0' + choice - std::size(namedKeys) - 26));
      return at + "press:" + (in.byte() & 1 ? "alt+" : "") + key;
    }
    case 2: {
      const uint32_t choice = in.below(std::size(menuIds) + 1);
      const uint32_t id = choice < std::size(menuIds) ? menuIds[choice] : (in.word() & 0xFFFF);
      return at + "menu:" + std::to_string(id);
    }
    default:
      return at + simpleEvents[in.below(std::size(simpleEvents))];
  }
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
}

// A flat 640 x 480 first picture (its content matters little; its size must be right),
// and a second picture made of the input's bytes, as a PPM header and pixels or as anything.
void addPictures(ByteReader& in, const std::string& workDir, std::vector<std::string>& arguments) {
  const uint8_t grey = in.byte();
  const std::string first = workDir + "/picture1.ppm";
  std::vector<uint8_t> ppm;
  const std::string header = "P6\n640 480\n255\n";
  ppm.assign(header.begin(), header.end());
  ppm.resize(ppm.size() + 640 * 480 * 3, grey);
  writeFile(first, ppm);
  arguments.insert(arguments.end(), {"--picture1", first});

  const std::string second = workDir + "/picture2.ppm";
  std::vector<uint8_t> bytes;
  if (in.byte() & 1) {
    const uint32_t width = in.below(64) + 1;
    const uint32_t height = in.below(64) + 1;
    const std::string secondHeader =
        "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    bytes.assign(secondHeader.begin(), secondHeader.end());
    const std::vector<uint8_t> pixels = in.bytes(width * height * 3);
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
  } else {
    bytes = in.bytes(in.below(64));
    // Arbitrary JPEG data is the decoder fuzzer's work; a huge declared size would only be slow here.
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) bytes[0] = 'P';
  }
  writeFile(second, bytes);
  arguments.insert(arguments.end(), {"--picture2", second});
}

}  // namespace

std::vector<std::string> renderArgumentsFor(const uint8_t* data, size_t size, const std::string& workDir) {
  ByteReader in(data, size);
  std::vector<std::string> arguments = {"lumiscene-render", "--out", workDir + "/frames"};
  const uint8_t flags = in.byte();
  arguments.insert(arguments.end(), {"--depth", depths[in.below(std::size(depths))]});

  // One to three frame times; while inactive frames come every 100 ms, so round times
  // are the ones most runs can reach.
  std::vector<uint32_t> times;
  const uint32_t frameCount = in.below(3) + 1;
  for (uint32_t i = 0; i < frameCount; ++i) {
    const uint32_t step = (flags & 2) ? 100 : 10;
    times.push_back((in.below(lastFrameLimit / step) + 1) * step);
  }
  const uint32_t lastFrame = *std::max_element(times.begin(), times.end());
  std::string at;
  for (uint32_t time : times) at += (at.empty() ? "" : ",") + std::to_string(time);
  arguments.insert(arguments.end(), {"--at", at});

  // The built-in pictures take most of a run's time to decode (the decoder has a
  // fuzzer of its own), so most runs bring small pictures of their own.
  if ((flags & 0x18) != 0) addPictures(in, workDir, arguments);
  std::string script;
  for (int count = 0; count < 32 && !in.empty(); ++count) {
    const uint32_t time = (in.byte() << 8 | in.byte()) % (lastFrame + 1);
    script += (script.empty() ? "" : ",") + eventFor(in, time);
  }
  if (!script.empty()) arguments.insert(arguments.end(), {"--events", script});
  if (flags & 4) arguments.push_back("--dump-pictures");
  return arguments;
}

int runRenderScript(const uint8_t* data, size_t size, const std::string& workDir) {
  std::vector<std::string> arguments = renderArgumentsFor(data, size, workDir);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return runRenderTool(static_cast<int>(arguments.size()), argv.data());
}

}  // namespace lumiscene
