// Every input the fuzzer saved (fuzz/corpus/jpeg) and every reproducer of a fault it once found
// (fuzz/regressions/jpeg) decoded on both paths. Under the address and undefined-behaviour
// sanitizers this shows the decoder still reads and writes only its own memory on them; in
// any build it shows the picture entry ends whole or empty, and that the two paths agree on
// data without restart markers (with them, the 64-bit reader's longer look-ahead may carry it
// past a stuffed FF 00 in trailing garbage where the 32-bit reader stops with -228).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "jpeg/decoded_picture.h"
#include "jpeg/jpeg_decoder.h"
#include "tests/fuzz_inputs.h"

namespace lumiscene {
namespace {

using fuzz_inputs::bytesOf;
using fuzz_inputs::inputsIn;

void replay(const std::vector<std::filesystem::path>& paths) {
  for (const std::filesystem::path& path : paths) {
    SCOPED_TRACE(path.filename().string());
    const std::vector<uint8_t> bytes = bytesOf(path);
    DecodedPicture integer(false);
    DecodedPicture fast(true);
    const bool integerOk = integer.decode(bytes.data(), static_cast<int32_t>(bytes.size()));
    const bool fastOk = fast.decode(bytes.data(), static_cast<int32_t>(bytes.size()));
    const uint8_t dri[] = {0xFF, 0xDD};
    if (std::search(bytes.begin(), bytes.end(), dri, dri + 2) == bytes.end()) {
      EXPECT_EQ(integerOk, fastOk);
      EXPECT_EQ(integer.width, fast.width);
      EXPECT_EQ(integer.height, fast.height);
    }
    for (const DecodedPicture* picture : {&integer, &fast}) {
      if (picture->pixels != nullptr) {
        EXPECT_GT(picture->width, 0);
        EXPECT_GT(picture->height, 0);
      } else {
        EXPECT_EQ(picture->width, 0);
        EXPECT_EQ(picture->height, 0);
      }
    }
  }
}

// The same inputs decoded at reduced sizes, as a user's large progressive picture
// is: either a failure, or every row of the reduced size and then the end.
void replayReduced(const std::vector<std::filesystem::path>& paths) {
  for (const std::filesystem::path& path : paths) {
    SCOPED_TRACE(path.filename().string());
    const std::vector<uint8_t> bytes = bytesOf(path);
    for (int32_t d : {2, 4, 8}) {
      MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
      JpegDecoder decoder;
      decoder.open(&source, true);
      if (decoder.errorCode != 0) continue;
      decoder.scaleDenominator = d;
      if (decoder.startDecompress() != 0) continue;
      const int32_t expected = decoder.progressive ? (decoder.imageWidth + d - 1) / d : decoder.imageWidth;
      EXPECT_EQ(decoder.outputWidth, expected);
      int32_t rows = 0, status = 0;
      uint8_t* row = nullptr;
      int32_t count = 0;
      while ((status = decoder.readRow(&row, &count)) == 0) {
        EXPECT_EQ(count, decoder.outputWidth * decoder.bytesPerPixel);
        ++rows;
      }
      if (status == 1) {
        EXPECT_EQ(rows, decoder.outputHeight);
      }
    }
  }
}

TEST(FuzzReplay, SavedCorpus) { replay(inputsIn("corpus/jpeg")); }

TEST(FuzzReplay, SavedCorpusReduced) { replayReduced(inputsIn("corpus/jpeg")); }

TEST(FuzzReplay, CrashRegressionsReduced) { replayReduced(inputsIn("regressions/jpeg")); }

TEST(FuzzReplay, CrashRegressions) { replay(inputsIn("regressions/jpeg")); }

}  // namespace
}  // namespace lumiscene
