// lumiscene-jpeg: runs the picture decoder on one file and writes what it decoded as a
// binary PPM, so that the decoder can be compared with other decoders from outside.
//
//   lumiscene-jpeg decode IN.jpg OUT.ppm [--integer]
//
// Without --integer the decoder is asked for the four-lane transform and the 64-bit bit
// reader, as the program asks; with it, the integer transform and the 32-bit reader.
// It drives open, startDecompress and readRow itself (rather than DecodedPicture) so that a
// failure reports the decoder's recorded code: one line "error <code> <Name>" on stderr and
// exit status 1. Usage errors and files that cannot be read or written: one line, status 2.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "jpeg/decoded_picture.h"
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_error.h"

namespace {

constexpr int kDecodeFailed = 1;
constexpr int kUsageOrFile = 2;

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

int usage(const char* why) {
  std::fprintf(stderr, "lumiscene-jpeg: %s (usage: lumiscene-jpeg decode IN.jpg OUT.ppm [--integer])\n", why);
  return kUsageOrFile;
}

int decodeFailed(int32_t code) {
  const char* name = lumiscene::jpegErrorName(code);
  std::fprintf(stderr, "error %d %s\n", static_cast<int>(code), name != nullptr ? name : "Unknown");
  return kDecodeFailed;
}

bool readFile(const char* path, std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

// The same sequence of checks as the picture entry, but every failure keeps its code: the
// decoder records one in open, startDecompress or readRow, and a component count other
// than 1 or 3 is the entry's own refusal, made before decoding starts.
int32_t decode(const std::vector<uint8_t>& bytes, bool useMmx, Picture& picture) {
  // An empty file is data of length 0, not missing data (which the source refuses to read
  // at all): it must reach the start-of-image search and fail there.
  static const uint8_t kNoBytes = 0;
  const uint8_t* data = bytes.empty() ? &kNoBytes : bytes.data();
  lumiscene::MemorySource source(data, static_cast<int32_t>(bytes.size()));
  auto decoder = std::make_unique<lumiscene::JpegDecoder>();
  decoder->open(&source, useMmx);
  if (decoder->errorCode != 0) return decoder->errorCode;
  if (decoder->componentCount != 1 && decoder->componentCount != 3) {
    return lumiscene::ComponentCountUnsupported;
  }
  if (decoder->startDecompress() != 0) return decoder->errorCode;

  picture.width = decoder->imageWidth;
  picture.height = decoder->imageHeight;
  picture.pixels.assign(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height), 0);
  for (int32_t y = 0; y < picture.height; ++y) {
    uint8_t* row = nullptr;
    int32_t rowBytes = 0;
    if (decoder->readRow(&row, &rowBytes) != 0) break;
    lumiscene::packRow(row, picture.width, decoder->bytesPerPixel, decoder->componentCount,
                       picture.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(picture.width));
  }
  return decoder->errorCode;
}

bool writePpm(const char* path, const Picture& picture) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", static_cast<int>(picture.width), static_cast<int>(picture.height));
  std::vector<uint8_t> line(static_cast<size_t>(picture.width) * 3);
  for (int32_t y = 0; y < picture.height; ++y) {
    const uint32_t* src = picture.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(picture.width);
    for (int32_t x = 0; x < picture.width; ++x) {
      line[3 * x] = static_cast<uint8_t>(src[x] >> 16);
      line[3 * x + 1] = static_cast<uint8_t>(src[x] >> 8);
      line[3 * x + 2] = static_cast<uint8_t>(src[x]);
    }
    std::fwrite(line.data(), 1, line.size(), file);
  }
  const bool ok = std::ferror(file) == 0;
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> paths;
  bool integer = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--integer") {
      integer = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usage(("unknown option " + arg).c_str());
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.empty() || paths[0] != "decode") return usage("the only command is decode");
  if (paths.size() != 3) return usage("decode takes an input and an output file");

  std::vector<uint8_t> bytes;
  if (!readFile(paths[1].c_str(), bytes)) {
    std::fprintf(stderr, "lumiscene-jpeg: cannot read %s: %s\n", paths[1].c_str(), std::strerror(errno));
    return kUsageOrFile;
  }
  if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
    std::fprintf(stderr, "lumiscene-jpeg: %s is larger than 2 GiB\n", paths[1].c_str());
    return kUsageOrFile;
  }

  Picture picture;
  const int32_t code = decode(bytes, !integer, picture);
  if (code != 0) return decodeFailed(code);
  if (!writePpm(paths[2].c_str(), picture)) {
    std::fprintf(stderr, "lumiscene-jpeg: cannot write %s: %s\n", paths[2].c_str(), std::strerror(errno));
    return kUsageOrFile;
  }
  return 0;
}
