// Command line of lumiscene-scramble: SEED WIDTH IN OUT.
#pragma once

#include <cstdint>
#include <string>

namespace lumiscene {

struct ScrambleOptions {
  uint32_t seed = 0;
  uint32_t width = 0;  // 1 to 32
  std::string inPath;
  std::string outPath;
};

// Parses argv (argv[0] is the program's name); on failure returns false with a
// one-line reason, naming the usage, in `error`.
bool parseScrambleOptions(int argc, char** argv, ScrambleOptions& options, std::string& error);

}  // namespace lumiscene
