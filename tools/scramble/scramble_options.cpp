#include "tools/scramble/scramble_options.h"

#include <charconv>

namespace lumiscene {

namespace {

constexpr const char* usage =
    "usage: lumiscene-scramble SEED WIDTH IN OUT (SEED decimal or 0x-hex, WIDTH 1 to 32)";

bool parseUnsigned(const std::string& text, uint32_t& value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* first = text.data() + (hex ? 2 : 0);
  const char* last = text.data() + text.size();
  const auto [end, code] = std::from_chars(first, last, value, hex ? 16 : 10);
  return first != last && code == std::errc{} && end == last;
}

}  // namespace

bool parseScrambleOptions(int argc, char** argv, ScrambleOptions& options, std::string& error) {
  options = ScrambleOptions{};
  if (argc != 5) {
    error = std::string("expected four arguments (") + usage + ")";
    return false;
  }
  if (!parseUnsigned(argv[1], options.seed)) {
    error = std::string("bad seed '") + argv[1] + "' (" + usage + ")";
    return false;
  }
  if (!parseUnsigned(argv[2], options.width) || options.width < 1 || options.width > 32) {
    error = std::string("bad width '") + argv[2] + "' (" + usage + ")";
    return false;
  }
  options.inPath = argv[3];
  options.outPath = argv[4];
  return true;
}

}  // namespace lumiscene
