// The decoder against the reference corpus in tests/data/jpeg: every fixture decoded on the
// integer path (integer transform, 32-bit reader) and on the default path (four-lane
// transform, 64-bit reader) and compared with the pixels djpeg made with its accurate integer
// transform and plain chroma replication. Also the encoder-made files the decoder must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "jpeg/decoded_picture.h"
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_error.h"

namespace lumiscene {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(LUMISCENE_TEST_DATA) / "jpeg";

std::vector<uint8_t> readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every fixture with reference pixels, sorted by name.
std::vector<std::string> fixtureNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(kCorpus, error)) {
    const fs::path& path = entry.path();
    if (path.extension() != ".jpg") continue;
    const std::string stem = path.stem().string();
    if (stem.rfind("refuse_", 0) == 0) continue;
    names.push_back(stem);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The quality in a fixture name ("b420_q85_200x150" gives 85), or -1.
int qualityOf(const std::string& name) {
  for (size_t at = name.find("_q"); at != std::string::npos; at = name.find("_q", at + 1)) {
    size_t end = at + 2;
    while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end]))) ++end;
    if (end > at + 2 && end < name.size() && name[end] == '_') return std::stoi(name.substr(at + 2, end - at - 2));
  }
  return -1;
}

// A binary PPM (P6) or PGM (P5) with maxval 255, expanded to R, G, B per pixel.
struct Reference {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

bool readReference(const std::string& name, Reference& ref) {
  bool grey = false;
  std::vector<uint8_t> bytes = readBytes(kCorpus / (name + ".ppm"));
  if (bytes.empty()) {
    bytes = readBytes(kCorpus / (name + ".pgm"));
    grey = true;
  }
  // The header is three whitespace-separated numbers after the magic, then one whitespace byte.
  size_t pos = 2;
  int fields[3] = {};
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != (grey ? '5' : '6')) return false;
  for (int& field : fields) {
    while (pos < bytes.size() && std::isspace(bytes[pos])) ++pos;
    if (pos >= bytes.size() || !std::isdigit(bytes[pos])) return false;
    while (pos < bytes.size() && std::isdigit(bytes[pos])) field = field * 10 + (bytes[pos++] - '0');
  }
  ++pos;
  ref.width = fields[0];
  ref.height = fields[1];
  const size_t pixels = static_cast<size_t>(ref.width) * static_cast<size_t>(ref.height);
  if (fields[2] != 255 || bytes.size() - pos != pixels * (grey ? 1 : 3)) return false;
  ref.rgb.resize(pixels * 3);
  for (size_t i = 0; i < pixels; ++i) {
    for (size_t c = 0; c < 3; ++c) ref.rgb[3 * i + c] = bytes[pos + (grey ? i : 3 * i + c)];
  }
  return true;
}

struct Difference {
  int maxDiff = 0;
  double psnr = std::numeric_limits<double>::infinity();
};

Difference compare(const DecodedPicture& picture, const Reference& ref) {
  Difference result;
  double squares = 0;
  const size_t pixels = static_cast<size_t>(ref.width) * static_cast<size_t>(ref.height);
  for (size_t i = 0; i < pixels; ++i) {
    const uint32_t p = picture.pixels[i];
    const int ours[3] = {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                         static_cast<int>(p & 0xFF)};
    for (size_t c = 0; c < 3; ++c) {
      const int d = ours[c] - ref.rgb[3 * i + c];
      result.maxDiff = std::max(result.maxDiff, std::abs(d));
      squares += d * d;
    }
  }
  if (squares > 0) result.psnr = 10.0 * std::log10(255.0 * 255.0 * 3.0 * static_cast<double>(pixels) / squares);
  return result;
}

// Decodes a fixture on the chosen path and checks what holds on both paths: the result, the
// size, the zero top byte, and equal colour bytes for greyscale files. Returns false when
// there is nothing to compare.
bool decodeAndCompare(const std::string& name, bool useMmx, Difference& d) {
  Reference ref;
  if (!readReference(name, ref)) {
    ADD_FAILURE() << "no readable reference pixels";
    return false;
  }
  const std::vector<uint8_t> bytes = readBytes(kCorpus / (name + ".jpg"));
  DecodedPicture picture(useMmx);
  if (!picture.decode(bytes.data(), static_cast<int32_t>(bytes.size()))) {
    ADD_FAILURE() << "decode failed";
    return false;
  }
  if (picture.width != ref.width || picture.height != ref.height) {
    ADD_FAILURE() << "size " << picture.width << "x" << picture.height << ", reference " << ref.width << "x"
                  << ref.height;
    return false;
  }
  const bool grey = name.find("grey") != std::string::npos;
  const size_t pixels = static_cast<size_t>(ref.width) * static_cast<size_t>(ref.height);
  for (size_t i = 0; i < pixels; ++i) {
    const uint32_t p = picture.pixels[i];
    if ((p >> 24) != 0 || (grey && p != (p & 0xFF) * 0x010101u)) {
      ADD_FAILURE() << "pixel " << i << " is 0x" << std::hex << p;
      break;
    }
  }
  d = compare(picture, ref);
  std::printf("%-28s %-7s max difference %2d, PSNR %6.2f dB\n", name.c_str(), useMmx ? "default" : "integer",
              d.maxDiff, d.psnr);
  return true;
}

TEST(FixtureCorpus, IsPresent) { EXPECT_GE(fixtureNames().size(), 60u) << "corpus folder " << kCorpus; }

TEST(FixtureCorpus, IntegerPathWithinThreeOfReference) {
  for (const std::string& name : fixtureNames()) {
    SCOPED_TRACE(name);
    Difference d;
    if (!decodeAndCompare(name, false, d)) continue;
    EXPECT_LE(d.maxDiff, 3);
    EXPECT_GE(d.psnr, 45.0);
  }
}

// Up to quality 95 the four-lane transform must stay close to the reference; at quality 100
// its 16-bit lanes may wrap on the largest coefficients, so there it is only measured.
TEST(FixtureCorpus, DefaultPathCloseToReference) {
  double worstAt100 = std::numeric_limits<double>::infinity();
  for (const std::string& name : fixtureNames()) {
    SCOPED_TRACE(name);
    const int quality = qualityOf(name);
    ASSERT_GT(quality, 0) << "fixture name carries no quality";
    Difference d;
    if (!decodeAndCompare(name, true, d)) continue;
    if (quality <= 95) {
      EXPECT_GE(d.psnr, 40.0);
    } else {
      worstAt100 = std::min(worstAt100, d.psnr);
    }
  }
  std::printf("default path at quality 100: lowest PSNR %.2f dB\n", worstAt100);
  RecordProperty("lowest_psnr_at_quality_100", std::to_string(worstAt100));
}

// The code a file ends with when decoded the way the picture entry decodes it.
int32_t failureCode(const std::vector<uint8_t>& bytes, bool useMmx) {
  MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
  auto decoder = std::make_unique<JpegDecoder>();
  decoder->open(&source, useMmx);
  if (decoder->errorCode != 0) return decoder->errorCode;
  if (decoder->componentCount != 1 && decoder->componentCount != 3) return ComponentCountUnsupported;
  if (decoder->startDecompress() != 0) return decoder->errorCode;
  uint8_t* row = nullptr;
  int32_t rowBytes = 0;
  while (decoder->readRow(&row, &rowBytes) == 0) {
  }
  return decoder->errorCode;
}

TEST(FixtureCorpus, EncoderMadeFilesOutsideTheSupportedSetAreRefused) {
  const struct {
    const char* name;
    int32_t code;
  } cases[] = {
      {"refuse_arith", ArithmeticCoding},        {"refuse_arithprog", UnsupportedFrame},
      {"refuse_411", SamplingUnsupported},       {"refuse_chroma21", SamplingUnsupported},
      {"refuse_seqsplit", UnsupportedFrame},
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> bytes = readBytes(kCorpus / (std::string(c.name) + ".jpg"));
    ASSERT_FALSE(bytes.empty()) << c.name;
    for (bool useMmx : {false, true}) {
      EXPECT_EQ(failureCode(bytes, useMmx), c.code) << c.name << (useMmx ? " default path" : " integer path");
      DecodedPicture picture(useMmx);
      EXPECT_FALSE(picture.decode(bytes.data(), static_cast<int32_t>(bytes.size()))) << c.name;
      EXPECT_EQ(picture.pixels, nullptr);
      EXPECT_EQ(picture.width, 0);
    }
  }
}

}  // namespace
}  // namespace lumiscene
