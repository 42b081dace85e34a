// Binary PPM (P6) files for the developer tools: pictures in, frames out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lumiscene {

struct PpmPicture {
  int32_t width = 0;
  int32_t height = 0;
  // width x height pixels, 0x00RRGGBB, row-major, top row first; an array a
  // picture can take over without a copy.
  std::unique_ptr<uint32_t[]> pixels;
};

// Parses P6 data with a maximum value of 255. On failure returns false and
// says why in `error`.
bool parsePpm(const std::vector<uint8_t>& bytes, PpmPicture& picture, std::string& error);

// Writes 0x00RRGGBB pixels as P6; false when the file cannot be written.
bool writePpm(const std::string& path, int32_t width, int32_t height, const uint32_t* pixels);

// Reads a whole file; false when it cannot be opened or read.
bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes);

}  // namespace lumiscene
