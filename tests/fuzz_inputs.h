// The saved inputs of a fuzz target, for the suites that replay them through
// the normal build: the files of a folder under fuzz/ (LUMISCENE_FUZZ_DATA),
// in name order, hidden files left out.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lumiscene::fuzz_inputs {

inline std::vector<std::filesystem::path> inputsIn(const std::string& folder) {
  std::vector<std::filesystem::path> paths;
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(LUMISCENE_FUZZ_DATA) / folder, error)) {
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

inline std::vector<uint8_t> bytesOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace lumiscene::fuzz_inputs
