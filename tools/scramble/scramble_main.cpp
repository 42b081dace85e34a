// lumiscene-scramble SEED WIDTH IN OUT: turns a picture into the form the
// program stores it in (or back: the operation is its own inverse), with the
// program's own descrambler.
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "pictures/embedded_pictures.h"
#include "tools/common/ppm.h"

namespace {

constexpr const char* usage = "usage: lumiscene-scramble SEED WIDTH IN OUT (SEED decimal or 0x-hex, WIDTH 1 to 32)";

int fail(const std::string& reason) {
  std::fprintf(stderr, "lumiscene-scramble: %s\n", reason.c_str());
  return 2;
}

bool parseUnsigned(const std::string& text, uint32_t& value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* first = text.data() + (hex ? 2 : 0);
  const char* last = text.data() + text.size();
  const auto [end, code] = std::from_chars(first, last, value, hex ? 16 : 10);
  return first != last && code == std::errc{} && end == last;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return fail(std::string("expected four arguments (") + usage + ")");
  uint32_t seed = 0, width = 0;
  if (!parseUnsigned(argv[1], seed)) return fail(std::string("bad seed '") + argv[1] + "' (" + usage + ")");
  if (!parseUnsigned(argv[2], width) || width < 1 || width > 32)
    return fail(std::string("bad width '") + argv[2] + "' (" + usage + ")");
  std::vector<uint8_t> bytes;
  if (!lumiscene::readFileBytes(argv[3], bytes)) return fail(std::string(argv[3]) + ": cannot read the file");
  if (bytes.size() > INT32_MAX) return fail(std::string(argv[3]) + ": file too large");
  lumiscene::descramble(bytes.data(), static_cast<int32_t>(bytes.size()), seed, static_cast<int32_t>(width));
  std::FILE* out = std::fopen(argv[4], "wb");
  if (out == nullptr) return fail(std::string(argv[4]) + ": cannot write the file");
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (std::fclose(out) != 0 || !written) return fail(std::string(argv[4]) + ": cannot write the file");
  return 0;
}
