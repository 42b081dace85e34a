// lumiscene-scramble SEED WIDTH IN OUT: turns a picture into the form the
// program stores it in (or back: the operation is its own inverse), with the
// program's own descrambler.
#include <cstdio>
#include <string>
#include <vector>

#include "pictures/embedded_pictures.h"
#include "tools/common/ppm.h"
#include "tools/scramble/scramble_options.h"

namespace {

int fail(const std::string& reason) {
  std::fprintf(stderr, "lumiscene-scramble: %s\n", reason.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  lumiscene::ScrambleOptions options;
  std::string error;
  if (!lumiscene::parseScrambleOptions(argc, argv, options, error)) return fail(error);
  std::vector<uint8_t> bytes;
  if (!lumiscene::readFileBytes(options.inPath, bytes))
    return fail(options.inPath + ": cannot read the file");
  // An empty picture is a mistake upstream (a failed conversion), never something to store.
  if (bytes.empty()) return fail(options.inPath + ": the file is empty");
  if (bytes.size() > INT32_MAX) return fail(options.inPath + ": file too large");
  lumiscene::descramble(bytes.data(), static_cast<int32_t>(bytes.size()), options.seed,
                        static_cast<int32_t>(options.width));
  std::FILE* out = std::fopen(options.outPath.c_str(), "wb");
  if (out == nullptr) return fail(options.outPath + ": cannot write the file");
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (std::fclose(out) != 0 || !written) return fail(options.outPath + ": cannot write the file");
  return 0;
}
