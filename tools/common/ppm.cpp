#include "tools/common/ppm.h"

#include <cctype>
#include <cstdio>
#include <filesystem>

namespace lumiscene {

namespace {

// Header fields are separated by whitespace and may be interleaved with
// comments running from '#' to the end of the line.
bool readHeaderNumber(const std::vector<uint8_t>& bytes, size_t& pos, int64_t& value) {
  while (pos < bytes.size()) {
    if (std::isspace(bytes[pos])) {
      ++pos;
    } else if (bytes[pos] == '#') {
      while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
    } else {
      break;
    }
  }
  if (pos >= bytes.size() || !std::isdigit(bytes[pos])) return false;
  value = 0;
  while (pos < bytes.size() && std::isdigit(bytes[pos])) {
    value = value * 10 + (bytes[pos] - '0');
    if (value > 1'000'000) return false;
    ++pos;
  }
  return true;
}

}  // namespace

bool parsePpm(const std::vector<uint8_t>& bytes, PpmPicture& picture, std::string& error) {
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') {
    error = "not a binary PPM (P6) file";
    return false;
  }
  size_t pos = 2;
  int64_t width = 0, height = 0, maxValue = 0;
  if (!readHeaderNumber(bytes, pos, width) || !readHeaderNumber(bytes, pos, height) ||
      !readHeaderNumber(bytes, pos, maxValue) || pos >= bytes.size() || !std::isspace(bytes[pos])) {
    error = "malformed PPM header";
    return false;
  }
  ++pos;
  if (width < 1 || height < 1 || width > 16384 || height > 16384) {
    error = "unsupported PPM size " + std::to_string(width) + " x " + std::to_string(height);
    return false;
  }
  if (maxValue != 255) {
    error = "unsupported PPM maximum value " + std::to_string(maxValue) + " (only 255)";
    return false;
  }
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (bytes.size() - pos < count * 3) {
    error = "PPM pixel data is truncated";
    return false;
  }
  picture.width = static_cast<int32_t>(width);
  picture.height = static_cast<int32_t>(height);
  picture.pixels = std::make_unique_for_overwrite<uint32_t[]>(count);
  const uint8_t* rgb = bytes.data() + pos;
  for (size_t i = 0; i < count; ++i, rgb += 3) {
    picture.pixels[i] = (uint32_t{rgb[0]} << 16) | (uint32_t{rgb[1]} << 8) | rgb[2];
  }
  return true;
}

bool writePpm(const std::string& path, int32_t width, int32_t height, const uint32_t* pixels) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", width, height);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  bool ok = true;
  for (int32_t y = 0; y < height && ok; ++y) {
    const uint32_t* source = pixels + static_cast<size_t>(y) * width;
    for (int32_t x = 0; x < width; ++x) {
      row[3 * x] = static_cast<uint8_t>(source[x] >> 16);
      row[3 * x + 1] = static_cast<uint8_t>(source[x] >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(source[x]);
    }
    ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
  }
  return std::fclose(file) == 0 && ok;
}

bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes) {
  bytes.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  // The size is only a hint (pipes have none); reserving it keeps the bytes in
  // one allocation instead of a growing series of copies.
  std::error_code sizeError;
  const auto size = std::filesystem::file_size(path, sizeError);
  if (!sizeError) bytes.reserve(size);
  uint8_t chunk[1 << 16];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  // A folder opens but cannot be read (EISDIR).
  const bool readWhole = std::ferror(file) == 0;
  std::fclose(file);
  return readWhole;
}

}  // namespace lumiscene
