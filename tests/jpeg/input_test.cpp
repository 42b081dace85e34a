// The input buffer and the bit readers: end-of-data substitutes, marker-aware byte
// fetching, putting bytes back, and the 32-bit and 64-bit readers delivering the same
// bits as a plain model of the entropy-coded stream.
#include <gtest/gtest.h>

#include <random>

#include "tests/jpeg/jpeg_test_support.h"

namespace lumiscene {
namespace {

// Attaches a decoder to `bytes` and loads the entropy reader at byte 0.
std::unique_ptr<JpegDecoder> entropyDecoder(ScriptedSource& source, bool reader64) {
  auto d = std::make_unique<JpegDecoder>();
  JpegDecoderProbe::attach(*d, &source, false);
  d->mmxBitReader = reader64;
  JpegDecoderProbe::primeEntropyReader(*d);
  return d;
}

// The bits an entropy reader must deliver: stuffed FF 00 is one FF; from a marker or
// a final bare FF on only 1-bits follow; data that simply ends continues with the
// substitute bytes FF D9 FF D9 ...
struct BitModel {
  std::vector<int> bits;
  bool cleanEnd = true;
  explicit BitModel(const Bytes& data) {
    for (size_t i = 0; i < data.size(); ++i) {
      if (data[i] == 0xFF && (i + 1 >= data.size() || data[i + 1] != 0x00)) {
        cleanEnd = false;
        break;
      }
      for (int b = 7; b >= 0; --b) bits.push_back((data[i] >> b) & 1);
      if (data[i] == 0xFF) ++i;
    }
  }
  uint32_t take(size_t& pos, int n) const {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i, ++pos) v = (v << 1) | bit(pos);
    return v;
  }
  uint32_t bit(size_t pos) const {
    if (pos < bits.size()) return static_cast<uint32_t>(bits[pos]);
    if (!cleanEnd) return 1;
    size_t past = pos - bits.size();
    return ((past / 8) % 2 == 0 ? 0xFFu : 0xD9u) >> (7 - past % 8) & 1;
  }
};

TEST(JpegInput, EmptyInputReadsAsEndOfImageMarkers) {
  ScriptedSource source({});
  JpegDecoder d;
  JpegDecoderProbe::attach(d, &source, false);
  // The header reader already holds FF D9 FF D9; the alternation continues.
  EXPECT_EQ(JpegDecoderProbe::nextByte(d), 0xFFu);
  EXPECT_EQ(JpegDecoderProbe::nextByte(d), 0xD9u);
  EXPECT_EQ(JpegDecoderProbe::readHeaderBits(d, 16), 0xFFD9u);

  ScriptedSource again({});
  JpegDecoder opened;
  opened.open(&again, true);
  EXPECT_EQ(opened.errorCode, NoStartOfImage);
}

TEST(JpegInput, EntropyBytesStopInFrontOfMarkers) {
  ScriptedSource source({0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD3, 0x56});
  JpegDecoder d;
  JpegDecoderProbe::attach(d, &source, false);
  d.inCur -= 4;  // undo the header reader's priming: read from byte 0
  d.inAvail += 4;
  EXPECT_EQ(JpegDecoderProbe::nextEntropyByte(d), 0x12u);
  EXPECT_EQ(JpegDecoderProbe::nextEntropyByte(d), 0xFFu);  // stuffed
  EXPECT_EQ(JpegDecoderProbe::nextEntropyByte(d), 0x34u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(JpegDecoderProbe::nextEntropyByte(d), 0xFFu);
  EXPECT_EQ(JpegDecoderProbe::nextByte(d), 0xFFu);  // the marker is still there
  EXPECT_EQ(JpegDecoderProbe::nextByte(d), 0xD3u);
}

TEST(JpegInput, FinalFfIsPutBackAndFlipsTheSubstitutes) {
  ScriptedSource source({0x00, 0x00, 0x00, 0x00, 0xFF});
  JpegDecoder d;
  JpegDecoderProbe::attach(d, &source, false);
  EXPECT_EQ(JpegDecoderProbe::nextEntropyByte(d), 0xFFu);
  EXPECT_EQ(d.eodToggle, 1);
  EXPECT_EQ(JpegDecoderProbe::nextEntropyByte(d), 0xFFu);
  EXPECT_EQ(d.eodToggle, 0);
  EXPECT_EQ(d.inAvail, 1);
}

TEST(JpegInput, BothReadersDeliverTheModelBits) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 40; ++trial) {
    // Bytes with plenty of stuffed FFs, long enough to cross buffer refills, ending
    // in a marker or in a bare FF.
    Bytes data;
    size_t length = 100 + rng() % 9000;
    while (data.size() < length) {
      uint8_t b = static_cast<uint8_t>(rng());
      if (rng() % 8 == 0) b = 0xFF;
      data.push_back(b);
      if (b == 0xFF) data.push_back(0x00);
    }
    if (trial % 3 == 0) data.insert(data.end(), {0xFF, 0xD9});
    if (trial % 3 == 1) data.push_back(0xFF);
    BitModel model(data);
    ScriptedSource s32(data, 1 + static_cast<int32_t>(rng() % 5000));
    ScriptedSource s64(data, 1 + static_cast<int32_t>(rng() % 5000));
    auto d32 = entropyDecoder(s32, false);
    auto d64 = entropyDecoder(s64, true);
    size_t pos = 0;
    while (pos < model.bits.size() + 200) {
      int n = static_cast<int>(rng() % 17);
      uint32_t expected = model.take(pos, n);
      ASSERT_EQ(JpegDecoderProbe::readEntropyBits(*d32, n), expected) << "trial " << trial;
      ASSERT_EQ(JpegDecoderProbe::readEntropyBits64(*d64, n), expected) << "trial " << trial;
    }
  }
}

TEST(JpegInput, FastAndSlowRefillsGiveTheSameBits) {
  // 11 buffered bytes force the slow path; an FF among the next six does too.
  for (Bytes data : {Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
                     Bytes{1, 2, 3, 4, 5, 6, 7, 0xFF, 0, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18},
                     Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}}) {
    BitModel model(data);
    ScriptedSource source(data);
    auto d = entropyDecoder(source, true);
    size_t pos = 0;
    for (int i = 0; i < 20; ++i) ASSERT_EQ(JpegDecoderProbe::readEntropyBits64(*d, 13), model.take(pos, 13));
  }
}

TEST(JpegInput, ScanStartReturnsToTheByteAfterTheHeader) {
  // Header reads of 8 bits leave 8 or 16 reserve bits; either way priming puts back
  // what the header reader held and the entropy data starts right after.
  for (int headerBytes = 1; headerBytes <= 6; ++headerBytes) {
    for (bool reader64 : {false, true}) {
      Bytes data;
      for (int i = 0; i < 40; ++i) data.push_back(static_cast<uint8_t>(0x10 + i));
      ScriptedSource source(data);
      JpegDecoder d;
      JpegDecoderProbe::attach(d, &source, false);
      for (int i = 0; i < headerBytes; ++i) JpegDecoderProbe::readHeaderBits(d, 8);
      d.mmxBitReader = reader64;
      JpegDecoderProbe::primeEntropyReader(d);
      uint32_t first =
          reader64 ? JpegDecoderProbe::readEntropyBits64(d, 8) : JpegDecoderProbe::readEntropyBits(d, 8);
      EXPECT_EQ(first, 0x10u + static_cast<uint32_t>(headerBytes));
    }
  }
}

}  // namespace
}  // namespace lumiscene
