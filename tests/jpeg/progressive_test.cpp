// Progressive decoding: a progressive encoding decodes to the same pixels as its
// baseline twin, end-of-band runs, successive-approximation refinement, the scan
// parameter checks, and the end of a frame.
#include <gtest/gtest.h>

#include "tests/jpeg/jpeg_test_support.h"
#include "tests/jpeg/twin_pictures.h"

namespace lumiscene {
namespace {

// Progressive AC symbols; list index k is sent as the 8-bit code k.
const std::vector<int> kProgressiveAc = {0x00, 0x01, 0x02, 0x30, 0x11, 0xF0, 0x10};

void acSymbol(JpegWriter& w, int symbol) { w.bits(static_cast<uint32_t>(codeOf(kProgressiveAc, symbol)), 8); }
void dcSymbol(JpegWriter& w, int category) { w.bits(static_cast<uint32_t>(codeOf(kDcSymbols, category)), 8); }

// A progressive grey frame of `blocks` 8x8 blocks in one row with a first DC scan of
// zeros; `scans` appends further scans.
Bytes progressiveGrey(int blocks, const std::function<void(JpegWriter&)>& scans, bool eoi = true) {
  JpegWriter w;
  w.soi().dqt(0, 1).sof(0xC2, 8 * blocks, 8, {{1, 1, 1, 0}});
  w.dht8(0x00, kDcSymbols).dht8(0x10, kProgressiveAc);
  w.sos({{1, 0x00}}, 0, 0, 0, 0);
  for (int b = 0; b < blocks; ++b) dcSymbol(w, 0);
  w.flush();
  scans(w);
  if (eoi) w.eoi();
  return w.bytes;
}

std::unique_ptr<JpegDecoder> started(const Bytes&, MemorySource& source) {
  auto d = std::make_unique<JpegDecoder>();
  d->open(&source, false);
  EXPECT_EQ(d->errorCode, 0);
  d->startDecompress();
  return d;
}

const int16_t* acBlock(const JpegDecoder& d, int x) {
  return reinterpret_cast<const int16_t*>(d.acCoefArray[0]->data + 128 * x);
}

TEST(JpegProgressive, SameCoefficientsAsTheBaselineTwin) {
  for (bool mmx : {false, true}) {
    DecodedPicture baseline(mmx), progressive(mmx);
    ASSERT_TRUE(baseline.decode(kTwinBaseline, sizeof kTwinBaseline));
    ASSERT_TRUE(progressive.decode(kTwinProgressive, sizeof kTwinProgressive));
    ASSERT_EQ(progressive.width, 24);
    ASSERT_EQ(progressive.height, 16);
    EXPECT_EQ(0, std::memcmp(baseline.pixels, progressive.pixels, 24 * 16 * 4));
  }
}

TEST(JpegProgressive, EndOfBandRunSkipsTheFollowingBlocks) {
  // EOB with r = 3 and extra bits 010: a run of 8 + 2 = 10 blocks, this one included.
  Bytes bytes = progressiveGrey(12, [](JpegWriter& w) {
    w.sos({{1, 0x00}}, 1, 63, 0, 0);
    acSymbol(w, 0x30);
    w.bits(0b010, 3);
    acSymbol(w, 0x01);  // block 10: +1 at position 1, then end of band
    w.bits(1, 1);
    acSymbol(w, 0x00);
    acSymbol(w, 0x11);  // block 11: zero at 1, -1 at position 2
    w.bits(0, 1);
    acSymbol(w, 0x00);
    w.flush();
  });
  MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
  auto d = started(bytes, source);
  ASSERT_EQ(d->errorCode, 0);
  for (int x = 0; x < 10; ++x) {
    for (int k = 1; k < 64; ++k) ASSERT_EQ(acBlock(*d, x)[k], 0) << x;
  }
  EXPECT_EQ(acBlock(*d, 10)[1], 1);
  EXPECT_EQ(acBlock(*d, 11)[1], 0);
  EXPECT_EQ(acBlock(*d, 11)[8], -1);  // zigzag 2 is natural 8
}

Bytes refinement(int al, int firstBits, int correctionBits) {
  return progressiveGrey(1, [&](JpegWriter& w) {
    w.sos({{1, 0x00}}, 1, 2, 0, al);
    acSymbol(w, 0x02);
    w.bits(static_cast<uint32_t>(firstBits >> 2), 2);  // position 1
    acSymbol(w, 0x02);
    w.bits(static_cast<uint32_t>(firstBits & 3), 2);  // position 2
    w.flush();
    w.sos({{1, 0x00}}, 1, 2, al + 1, al);
    acSymbol(w, 0x00);  // end of band: only corrections follow
    w.bits(static_cast<uint32_t>(correctionBits), 2);
    w.flush();
  });
}

TEST(JpegProgressive, RefinementAddsOnlyMissingBits) {
  {
    // Al 0: -2 and 2 with correction bits 1 become -3 and 3.
    Bytes bytes = refinement(0, 0b0110, 0b11);
    MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
    auto d = started(bytes, source);
    ASSERT_EQ(d->errorCode, 0);
    EXPECT_EQ(acBlock(*d, 0)[1], -3);
    EXPECT_EQ(acBlock(*d, 0)[8], 3);
  }
  for (int sign : {1, 0}) {
    // Al 1: the first scan stores +-1 << 1; a correction bit 1 changes nothing,
    // because the bit of weight 2 is already set.
    Bytes bytes = progressiveGrey(1, [&](JpegWriter& w) {
      w.sos({{1, 0x00}}, 1, 1, 0, 1);
      acSymbol(w, 0x01);
      w.bits(static_cast<uint32_t>(sign), 1);
      w.flush();
      w.sos({{1, 0x00}}, 1, 1, 2, 1);
      acSymbol(w, 0x00);
      w.bits(1, 1);
      w.flush();
    });
    MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
    auto d = started(bytes, source);
    ASSERT_EQ(d->errorCode, 0);
    EXPECT_EQ(acBlock(*d, 0)[1], sign ? 2 : -2);
  }
}

TEST(JpegProgressive, RefinementPlacesNewValuesAfterZeroRuns) {
  // Position 1 holds 1; the refinement scan sends r = 1, s = 1: skip one zero
  // (position 2; position 1 is refined on the way) and place -1 at position 3.
  Bytes bytes = progressiveGrey(1, [](JpegWriter& w) {
    w.sos({{1, 0x00}}, 1, 3, 0, 1);
    acSymbol(w, 0x01);
    w.bits(1, 1);
    acSymbol(w, 0x00);
    w.flush();
    w.sos({{1, 0x00}}, 1, 3, 1, 0);
    acSymbol(w, 0x11);
    w.bits(0, 1);  // new value negative
    w.bits(1, 1);  // correction of position 1
    w.flush();
  });
  MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
  auto d = started(bytes, source);
  ASSERT_EQ(d->errorCode, 0);
  EXPECT_EQ(acBlock(*d, 0)[1], 3);
  EXPECT_EQ(acBlock(*d, 0)[8], 0);
  EXPECT_EQ(acBlock(*d, 0)[16], -1);
}

TEST(JpegProgressive, ScanParameterChecks) {
  auto scan = [](int ss, int se, int ah, int al, bool twoComponents = false) {
    JpegWriter w;
    w.soi().dqt(0, 1).sof(0xC2, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}});
    w.dht8(0x00, kDcSymbols).dht8(0x10, kProgressiveAc);
    if (twoComponents) {
      w.sos({{1, 0x00}, {2, 0x00}}, ss, se, ah, al);
    } else {
      w.sos({{1, 0x00}}, ss, se, ah, al);
    }
    return decodeAll(w.flush().eoi().bytes, false).errorCode;
  };
  EXPECT_EQ(scan(1, 63, 0, 0, true), ScanParametersBad);
  EXPECT_EQ(scan(5, 4, 0, 0), ScanParametersBad);
  EXPECT_EQ(scan(1, 64, 0, 0), ScanParametersBad);
  EXPECT_EQ(scan(0, 5, 0, 0), ScanParametersBad);
  EXPECT_EQ(scan(0, 0, 2, 0), ApproximationBad);
  EXPECT_EQ(scan(1, 5, 3, 1), ApproximationBad);
  EXPECT_EQ(scan(0, 0, 0, 0, true), 0);
  EXPECT_EQ(scan(1, 63, 2, 1), 0);
}

TEST(JpegProgressive, CoefficientRulesOfTheBlockDecoders) {
  // A refinement symbol with s = 2 is corrupt; a first-scan run past 63 too.
  EXPECT_EQ(decodeAll(progressiveGrey(1,
                                      [](JpegWriter& w) {
                                        w.sos({{1, 0x00}}, 1, 63, 1, 0);
                                        acSymbol(w, 0x02);
                                        w.flush();
                                      }),
                      false)
                .errorCode,
            CoefficientOverrun);
  EXPECT_EQ(decodeAll(progressiveGrey(1,
                                      [](JpegWriter& w) {
                                        w.sos({{1, 0x00}}, 60, 63, 0, 0);
                                        acSymbol(w, 0xF0);
                                        w.flush();
                                      }),
                      false)
                .errorCode,
            CoefficientOverrun);
  // DC category 17 in a first DC scan.
  JpegWriter w;
  w.soi().dqt(0, 1).sof(0xC2, 8, 8, {{1, 1, 1, 0}}).dht8(0x00, kDcSymbols);
  w.sos({{1, 0x00}}, 0, 0, 0, 0);
  dcSymbol(w, 17);
  EXPECT_EQ(decodeAll(w.flush().eoi().bytes, true).errorCode, CoefficientOverrun);
}

TEST(JpegProgressive, FrameEndsAtEoiOrWhereTheDataEnds) {
  for (bool eoi : {true, false}) {
    Bytes bytes = progressiveGrey(
        2, [](JpegWriter&) {}, eoi);
    EXPECT_EQ(decodeAll(bytes, true).errorCode, 0) << eoi;
  }
  Bytes stray = progressiveGrey(2, [](JpegWriter& w) { w.sof(0xC2, 8, 8, {{1, 1, 1, 0}}); });
  EXPECT_EQ(decodeAll(stray, false).errorCode, MarkerOutOfPlace);
}

TEST(JpegProgressive, EveryComponentNeedsItsTableByTheEnd) {
  // Cb and Cr name table 1, which is never defined, and no scan names them.
  JpegWriter w;
  w.soi().dqt(0, 1).sof(0xC2, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 1}, {3, 1, 1, 1}});
  w.dht8(0x00, kDcSymbols).sos({{1, 0x00}}, 0, 0, 0, 0);
  dcSymbol(w, 0);
  w.flush().eoi();
  EXPECT_EQ(decodeAll(w.bytes, true).errorCode, QuantTableMissing);
  EXPECT_EQ(decodeAll(w.bytes, false).errorCode, QuantTableMissing);
}

TEST(JpegProgressive, CoefficientArraysBeyondOneBlockAreOutOfMemory) {
  // One component with factors 4x4 at 8192 x 8192 would need 2 GiB of AC entries.
  JpegWriter w;
  w.soi().dqt(0, 1).sof(0xC2, 8192, 8192, {{1, 4, 4, 0}}).eoi();
  EXPECT_EQ(decodeAll(w.bytes, false).errorCode, OutOfMemory);
}

}  // namespace
}  // namespace lumiscene
