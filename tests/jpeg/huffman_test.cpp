// Huffman decode tables and baseline decoding: table shapes, coefficient runs and
// their limits, DC prediction, restart markers, and the 32-bit and 64-bit MCU-row
// decoders agreeing block for block on real and on corrupted data.
#include <gtest/gtest.h>

#include <random>

#include "tests/jpeg/jpeg_test_support.h"

namespace lumiscene {
namespace {

// Decoder opened on `bytes` (integer path) and set up for its first scan.
std::unique_ptr<JpegDecoder> startedDecoder(MemorySource& source, bool reader64 = false) {
  auto d = std::make_unique<JpegDecoder>();
  d->open(&source, false);
  d->mmxRequested = reader64;  // picks the reader only; coefficients stay dequantised
  EXPECT_EQ(d->startDecompress(), 0);
  return d;
}

int16_t coefficientAt(const JpegDecoder& d, int block, int zigzag) {
  static const int kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                  12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                  35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                  58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
  return d.coefBlocks[block][kZigzag[zigzag]];
}

int32_t firstRow(std::unique_ptr<JpegDecoder>& d, MemorySource& source) {
  d = startedDecoder(source);
  return JpegDecoderProbe::run(*d, [&] { JpegDecoderProbe::decodeMcuRow(*d); });
}

TEST(JpegHuffman, ShortAndLongCodesInTheDecodeTable) {
  JpegWriter w;
  w.soi().marker(0xC4).word(2 + 17 + 3).raw({0x00});
  // One code of length 1 ("0"), then codes "10" (length 2) would be next; instead
  // give one code of length 9: "100000000" and one of 9: "100000001".
  for (int i = 1; i <= 16; ++i) w.raw({i == 1 ? 1 : i == 9 ? 2 : 0});
  w.raw({7, 8, 9}).sof(0xC0, 8, 8, {{1, 1, 1, 0}});
  MemorySource source(w.bytes.data(), static_cast<int32_t>(w.bytes.size()));
  JpegDecoder d;
  d.open(&source, false);
  ASSERT_EQ(d.errorCode, 0);
  d.huffDecode[0] = static_cast<DecodeTable*>(JpegDecoderProbe::allocate(d, sizeof(DecodeTable)));
  JpegDecoderProbe::buildDecodeTable(d, 0);
  const DecodeTable& t = *d.huffDecode[0];
  for (int i = 0; i < 128; ++i) ASSERT_EQ(t.lookup[i], 7);
  EXPECT_EQ(t.codeLength[7], 1);
  EXPECT_EQ(t.codeLength[8], 9);
  // Codes 100000000 and 100000001 share the 8-bit prefix 10000000 = 128.
  EXPECT_EQ(t.lookup[128], -1);
  EXPECT_EQ(t.tree[1], 8);      // last bit 0
  EXPECT_EQ(t.tree[0], 9);      // last bit 1
  EXPECT_EQ(t.lookup[129], 0);  // no code begins here
}

TEST(JpegHuffman, DcPredictionAndCategories) {
  // Block 1: category 11 with eleven 0 bits is -2047; block 2: category 0 keeps it.
  Bytes bytes = craftedGrey(24, 8, [](JpegWriter& w) {
    writeBlock(w, 3, 0b101);
    writeBlock(w, 11, 0);
    writeBlock(w, 0, 0);
  });
  MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
  std::unique_ptr<JpegDecoder> d;
  ASSERT_EQ(firstRow(d, source), 0);
  EXPECT_EQ(d->coefBlocks[0][0], 5);
  EXPECT_EQ(d->coefBlocks[1][0], 5 - 2047);
  EXPECT_EQ(d->coefBlocks[2][0], 5 - 2047);
  EXPECT_EQ(d->lastDc[0], 5 - 2047);
  EXPECT_EQ(d->blockDirty[0], 1);  // end of block right after the DC
}

TEST(JpegHuffman, DcCategoryAbove16IsCorruptData) {
  Bytes bytes = craftedGrey(8, 8, [](JpegWriter& w) { writeBlock(w, 17, 0, {}, false); });
  EXPECT_EQ(decodeAll(bytes, false).errorCode, CoefficientOverrun);
  EXPECT_EQ(decodeAll(bytes, true).errorCode, CoefficientOverrun);
}

TEST(JpegHuffman, ZeroRunsStopAtPosition63) {
  // A ZRL at position 48 ends exactly at 64; at 49 it would pass 63.
  auto zrls = [](int count, std::vector<std::array<int, 2>> tail) {
    std::vector<std::array<int, 2>> acs;
    for (int i = 0; i < count; ++i) acs.push_back({0xF0, 0});
    acs.insert(acs.end(), tail.begin(), tail.end());
    return acs;
  };
  std::vector<std::array<int, 2>> to48 = zrls(2, {});      // positions 1..32 skipped
  for (int i = 0; i < 15; ++i) to48.push_back({0x01, 1});  // 33..47
  for (bool mmx : {false, true}) {
    auto zrlAt48 = to48;
    zrlAt48.push_back({0xF0, 0});  // 48 + 16 = 64: the block is full
    EXPECT_EQ(decodeAll(craftedGrey(8, 8, [&](JpegWriter& w) { writeBlock(w, 0, 0, zrlAt48, false); }), mmx)
                  .errorCode,
              0);
    EXPECT_EQ(decodeAll(craftedGrey(8, 8,
                                    [&](JpegWriter& w) {
                                      writeBlock(w, 0, 0, zrls(3, {{0xF0, 0}}));  // ZRL at 49
                                    }),
                        mmx)
                  .errorCode,
              CoefficientOverrun);
  }
  // Reach 62 with 3 ZRLs (to 49) and 13 single values.
  std::vector<std::array<int, 2>> to62 = zrls(3, {});
  for (int i = 0; i < 13; ++i) to62.push_back({0x01, 1});
  auto at62 = [&](int symbol) {
    auto acs = to62;
    acs.push_back({symbol, 1});
    return craftedGrey(8, 8, [&](JpegWriter& w) { writeBlock(w, 0, 0, acs, false); });
  };
  Bytes ok = at62(0x1F);
  MemorySource source(ok.data(), static_cast<int32_t>(ok.size()));
  std::unique_ptr<JpegDecoder> d;
  ASSERT_EQ(firstRow(d, source), 0);
  EXPECT_EQ(coefficientAt(*d, 0, 63), 1 - 32767);  // 15 bits 000...01 extend to 1 - (2^15 - 1)
  EXPECT_EQ(coefficientAt(*d, 0, 62), 0);
  EXPECT_EQ(coefficientAt(*d, 0, 61), 1);
  EXPECT_EQ(d->blockDirty[0], 64);
  EXPECT_EQ(decodeAll(at62(0x2F), false).errorCode, CoefficientOverrun);
}

TEST(JpegHuffman, BlocksAreClearedFromTheirPreviousUse) {
  // Two rows of one block: the first full of values, the second only a DC.
  Bytes bytes = craftedGrey(8, 16, [](JpegWriter& w) {
    std::vector<std::array<int, 2>> acs(63, {0x01, 1});
    writeBlock(w, 0, 0, acs, false);
    writeBlock(w, 1, 1, {{0x11, 0}});
  });
  MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
  auto d = startedDecoder(source);
  JpegDecoderProbe::decodeMcuRow(*d);
  EXPECT_EQ(d->blockDirty[0], 64);
  JpegDecoderProbe::decodeMcuRow(*d);
  EXPECT_EQ(d->blockDirty[0], 3);
  EXPECT_EQ(coefficientAt(*d, 0, 1), 0);
  EXPECT_EQ(coefficientAt(*d, 0, 2), -1);
  for (int k = 3; k < 64; ++k) ASSERT_EQ(coefficientAt(*d, 0, k), 0) << k;
}

TEST(JpegHuffman, RestartMarkersFollowTheIntervalAndWrap) {
  // 40x16: 5 MCUs per row, 2 rows; interval 2: RST before MCUs 2, 4 of row 0 and
  // 1, 3 of row 1: RST0..RST3. Then a second picture with 9 intervals wraps.
  auto picture = [](int width, int interval, int wrongAt) {
    JpegWriter w;
    w.soi().dqt(0, 1).sof(0xC0, width, 8, {{1, 1, 1, 0}});
    w.dht8(0x00, kDcSymbols).dht8(0x10, kAcSymbols).marker(0xDD).word(4).word(interval);
    w.sos({{1, 0x00}});
    int mcus = width / 8, restart = 0;
    for (int m = 0; m < mcus; ++m) {
      if (m > 0 && m % interval == 0) {
        w.flush();
        int n = restart++ == wrongAt ? 7 - (restart - 1) % 8 : (restart - 1) % 8;
        w.marker(0xD0 + n);
      }
      writeBlock(w, 1, 1);  // +1 each block, reset at every restart
    }
    w.flush().eoi();
    return w.bytes;
  };
  Bytes good = picture(80, 1, -1);  // ten MCUs: RST0..RST7, RST0
  MemorySource source(good.data(), static_cast<int32_t>(good.size()));
  auto d = startedDecoder(source);
  JpegDecoderProbe::decodeMcuRow(*d);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(d->coefBlocks[k][0], 1);
  EXPECT_EQ(d->nextRestartNumber, 1);
  EXPECT_EQ(decodeAll(picture(80, 1, 3), true).errorCode, RestartSequenceBroken);
  EXPECT_EQ(decodeAll(picture(80, 1, 3), false).errorCode, RestartSequenceBroken);

  Bytes rows = picture(40, 2, -1);
  MemorySource source2(rows.data(), static_cast<int32_t>(rows.size()));
  auto r = startedDecoder(source2);
  JpegDecoderProbe::decodeMcuRow(*r);
  EXPECT_EQ(r->nextRestartNumber, 2);
  EXPECT_EQ(r->restartsLeft, 1);
  EXPECT_EQ(r->coefBlocks[4][0], 1);
  EXPECT_EQ(r->coefBlocks[3][0], 2);
}

TEST(JpegHuffman, RestartAtExhaustedDataIsBroken) {
  Bytes bytes = craftedGrey(
      16, 8, [](JpegWriter& w) { writeBlock(w, 0, 0); }, 1);
  EXPECT_EQ(decodeAll(bytes, true).errorCode, RestartSequenceBroken);
  // More than 1536 bytes before the next marker.
  Bytes far = craftedGrey(
      16, 8,
      [](JpegWriter& w) {
        writeBlock(w, 0, 0);
        for (int i = 0; i < 1600; ++i) w.bits(0x12, 8);
        w.flush().marker(0xD0);
        writeBlock(w, 0, 0);
      },
      1);
  EXPECT_EQ(decodeAll(far, false).errorCode, RestartSequenceBroken);
}

// Runs both MCU-row decoders over the same stream row by row and demands the same
// blocks, clearing state, predictors, restart counters and failures.
void expectReadersAgree(const Bytes& bytes, const std::string& label) {
  MemorySource s32(bytes.data(), static_cast<int32_t>(bytes.size()));
  MemorySource s64(bytes.data(), static_cast<int32_t>(bytes.size()));
  JpegDecoder a, b;
  a.open(&s32, false);
  b.open(&s64, false);
  b.mmxRequested = true;
  int32_t startA = a.startDecompress(), startB = b.startDecompress();
  ASSERT_EQ(startA, startB) << label;
  if (startA != 0) {
    EXPECT_EQ(a.errorCode, b.errorCode) << label;
    return;
  }
  ASSERT_FALSE(a.mmxBitReader);
  ASSERT_TRUE(b.mmxBitReader);
  for (int row = 0; row < a.scanMcuRows; ++row) {
    int32_t fa = JpegDecoderProbe::run(a, [&] { JpegDecoderProbe::decodeMcuRow(a); });
    int32_t fb = JpegDecoderProbe::run(b, [&] { JpegDecoderProbe::decodeMcuRow64(b); });
    ASSERT_EQ(fa, fb) << label << " row " << row;
    if (fa != 0) return;
    for (int k = 0; k < a.blocksPerMcuRow; ++k) {
      ASSERT_EQ(a.blockDirty[k], b.blockDirty[k]) << label << " row " << row << " block " << k;
      ASSERT_EQ(0, std::memcmp(a.coefBlocks[k], b.coefBlocks[k], 128)) << label << " block " << k;
    }
    for (int c = 0; c < a.componentCount; ++c) ASSERT_EQ(a.lastDc[c], b.lastDc[c]) << label;
    ASSERT_EQ(a.restartsLeft, b.restartsLeft) << label;
    ASSERT_EQ(a.nextRestartNumber, b.nextRestartNumber) << label;
  }
}

TEST(JpegHuffman, BothMcuRowDecodersAgreeOnRealData) {
  for (const char* name : {"b420_q75_64x48_rst1.jpg", "b444_q75_80x40_rst3.jpg", "b422_q75_48x48_optrst.jpg",
                           "bgrey_q75_64x64_rstrow.jpg", "b440_q75_56x40_rst2.jpg", "b420_q85_200x150.jpg",
                           "b420_q100_96x72.jpg"}) {
    Bytes bytes = readFixture(name);
    ASSERT_FALSE(bytes.empty()) << name;
    expectReadersAgree(bytes, name);
  }
}

TEST(JpegHuffman, BothMcuRowDecodersAgreeOnCorruptedData) {
  // Damaged data without restart markers. (With restarts, data that runs on past an
  // interval's last MCU can hold a stuffed FF 00 just before the RST marker: the
  // 32-bit reader then meets the FF 00 where it looks for the marker, while the
  // 64-bit reader, which loads further ahead, has consumed it; their outcomes differ
  // there, as their read positions do.)
  std::mt19937 rng(11);
  for (const char* name : {"b420_q85_200x150.jpg", "b420_q100_96x72.jpg", "b444_q75_64x48.jpg",
                           "bgrey_q75_64x48_opt.jpg", "b422_q75_64x48.jpg"}) {
    Bytes bytes = readFixture(name);
    ASSERT_FALSE(bytes.empty()) << name;
    size_t scan = 0;
    for (size_t i = 0; i + 3 < bytes.size(); ++i) {
      if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) scan = i + 2 + (bytes[i + 2] << 8 | bytes[i + 3]);
    }
    ASSERT_GT(scan, 0u) << name;
    for (int trial = 0; trial < 40; ++trial) {
      Bytes damaged = bytes;
      int flips = 1 + static_cast<int>(rng() % 4);
      for (int f = 0; f < flips; ++f) {
        size_t at = scan + rng() % (damaged.size() - scan - 2);
        damaged[at] = static_cast<uint8_t>(rng() % 5 == 0 ? 0xFF : rng());
      }
      if (trial % 5 == 4) damaged.resize(scan + (damaged.size() - scan) / 2);
      expectReadersAgree(damaged, std::string(name) + " trial " + std::to_string(trial));
    }
  }
}

}  // namespace
}  // namespace lumiscene
