// Markers and headers: the start-of-image search, the segment walk, table and header
// parsing, and every failure code of the error table raised by a crafted stream,
// including the checks that keep out-of-range header values from being used as
// indices.
#include <gtest/gtest.h>

#include "tests/jpeg/jpeg_test_support.h"

namespace lumiscene {
namespace {

int32_t openCode(const Bytes& bytes, bool mmx = false) {
  MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
  JpegDecoder d;
  d.open(&source, mmx);
  return d.errorCode;
}

int32_t decodeCode(const Bytes& bytes) { return decodeAll(bytes, true).errorCode; }

// Tables, a frame header of one 8x8 grey component and the given tail.
Bytes greyFrame(const std::function<void(JpegWriter&)>& tail, int frameMarker = 0xC0) {
  JpegWriter w;
  w.soi().dqt(0).dht8(0x00, kDcSymbols).dht8(0x10, kAcSymbols);
  w.sof(frameMarker, 8, 8, {{1, 1, 1, 0}});
  tail(w);
  return w.bytes;
}

void oneBlockScan(JpegWriter& w) {
  w.sos({{1, 0x00}});
  writeBlock(w, 0, 0);
  w.flush().eoi();
}

Bytes dht(int classAndId, std::vector<int> counts, int symbolCount, int lengthAdjust = 0) {
  JpegWriter w;
  w.soi().marker(0xC4).word(2 + 17 + symbolCount + lengthAdjust).raw({classAndId});
  counts.resize(16, 0);
  for (int c : counts) w.raw({c});
  for (int i = 0; i < symbolCount; ++i) w.raw({i & 0xFF});
  w.sof(0xC0, 8, 8, {{1, 1, 1, 0}});
  return w.bytes;
}

TEST(JpegMarkers, StartOfImageSearch) {
  Bytes atZero = {0xFF, 0xD8, 0x00};
  atZero.resize(64, 0);
  EXPECT_EQ(openCode(atZero), UnsupportedFrame);  // found; then no frame marker

  Bytes atThree = {0, 0, 0, 0xFF, 0xD8, 0x12};
  EXPECT_EQ(openCode(atThree), NoStartOfImage);
  atThree[5] = 0xFF;
  atThree.push_back(0xD9);
  EXPECT_EQ(openCode(atThree), UnsupportedFrame);

  for (int start : {511, 512}) {
    Bytes bytes(static_cast<size_t>(start), 0);
    bytes.insert(bytes.end(), {0xFF, 0xD8, 0xFF, 0xD9});
    EXPECT_EQ(openCode(bytes), start == 511 ? UnsupportedFrame : NoStartOfImage) << start;
  }
  static const uint8_t none[1] = {0};
  MemorySource empty(none, 0);
  JpegDecoder d;
  d.open(&empty, true);
  EXPECT_EQ(d.errorCode, NoStartOfImage);
}

TEST(JpegMarkers, SegmentWalkSkipsFillBytesDataAndUnknownSegments) {
  Bytes bytes = greyFrame([](JpegWriter& w) { oneBlockScan(w); });
  // Fill bytes before a DHT, a stray FF 00 and an empty APP0 between segments.
  JpegWriter extra;
  extra.raw({0xFF, 0xFF, 0xFF}).raw({0xC4}).word(2 + 17 + 1).raw({0x01});
  for (int i = 0; i < 16; ++i) extra.raw({i == 0 ? 1 : 0});
  extra.raw({0}).raw({0xFF, 0x00}).marker(0xE0).word(2);
  bytes.insert(bytes.begin() + 2, extra.bytes.begin(), extra.bytes.end());
  MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
  JpegDecoder d;
  d.open(&source, false);
  ASSERT_EQ(d.errorCode, 0);
  EXPECT_NE(d.huffCounts[1], nullptr);
  EXPECT_EQ(d.huffCounts[1][1], 1);
  EXPECT_EQ(d.startDecompress(), 0);
}

TEST(JpegMarkers, HuffmanSegmentsFillSlotsByClassBitAndId) {
  JpegWriter w;
  w.soi().marker(0xC4).word(2 + 4 * 18);
  for (int t : {0x00, 0x05, 0x21, 0x13}) {
    w.raw({t});
    for (int i = 1; i <= 16; ++i) w.raw({i == 2 ? 1 : 0});
    w.raw({t});
  }
  w.sof(0xC0, 8, 8, {{1, 1, 1, 0}});
  MemorySource source(w.bytes.data(), static_cast<int32_t>(w.bytes.size()));
  JpegDecoder d;
  d.open(&source, false);
  ASSERT_EQ(d.errorCode, 0);
  EXPECT_EQ(d.huffValues[0][0], 0x00);
  EXPECT_EQ(d.huffValues[5][0], 0x05);
  EXPECT_EQ(d.huffValues[1][0], 0x21);  // class bit 0: DC table 1
  EXPECT_EQ(d.huffValues[7][0], 0x13);
  EXPECT_EQ(d.huffCounts[2], nullptr);
}

TEST(JpegMarkers, HuffmanSegmentFailures) {
  EXPECT_EQ(openCode(dht(0x00, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 255}, 256)),
            HuffmanCountOverflow);
  EXPECT_EQ(openCode(dht(0x15, {0, 1}, 1)), HuffmanSlotInvalid);
  EXPECT_EQ(openCode(dht(0x00, {0, 1}, 1, -1)), HuffmanSegmentBad);  // segment one byte short
  JpegWriter tiny;
  tiny.soi().marker(0xC4).word(1);
  EXPECT_EQ(openCode(tiny.bytes), HuffmanSegmentBad);
}

TEST(JpegMarkers, HuffmanCountsThatDoNotFitTheTablesAreRefused) {
  // Three codes of length 1 over-subscribe the code space.
  EXPECT_EQ(openCode(dht(0x00, {3}, 3)), HuffmanSegmentBad);
  // Complete at length 1, then one more code of length 2: no room left.
  EXPECT_EQ(openCode(dht(0x10, {2, 1}, 3)), HuffmanSegmentBad);
  // Two codes of 15 bits and 253 of 16 bits fit the code space but need 261 nodes.
  std::vector<int> counts(16, 0);
  counts[14] = 2;
  counts[15] = 253;
  Bytes tooDeep = dht(0x10, counts, 255);
  EXPECT_EQ(openCode(tooDeep), HuffmanSegmentBad);
  // Nothing was stored for the refused table.
  MemorySource source(tooDeep.data(), static_cast<int32_t>(tooDeep.size()));
  JpegDecoder d;
  d.open(&source, false);
  EXPECT_EQ(d.errorCode, HuffmanSegmentBad);
  // The largest standard-shaped table still passes: 1 code of each length 1..15
  // leaves room for 2 codes of 16 bits, and 254 codes of 16 bits need few nodes.
  std::vector<int> fits(16, 0);
  fits[15] = 254;
  fits[0] = 1;
  EXPECT_EQ(openCode(dht(0x10, fits, 255)), 0);
}

TEST(JpegMarkers, QuantisationSegments) {
  JpegWriter wide;
  wide.soi().marker(0xDB).word(2 + 129).raw({0x13});
  for (int k = 0; k < 64; ++k) wide.word(0x0100 + k);
  wide.sof(0xC0, 8, 8, {{1, 1, 1, 3}});
  MemorySource source(wide.bytes.data(), static_cast<int32_t>(wide.bytes.size()));
  JpegDecoder d;
  d.open(&source, false);
  ASSERT_EQ(d.errorCode, 0);
  EXPECT_EQ(d.quantTables[3][0], 0x0100);  // zigzag order, 16-bit values
  EXPECT_EQ(d.quantTables[3][63], 0x013F);

  JpegWriter scaled;
  scaled.soi().dqt(0, 16).sof(0xC0, 8, 8, {{1, 1, 1, 0}});
  MemorySource source2(scaled.bytes.data(), static_cast<int32_t>(scaled.bytes.size()));
  JpegDecoder m;
  m.open(&source2, true);
  ASSERT_EQ(m.errorCode, 0);
  EXPECT_EQ(m.quantTables[0][0], 64);
  JpegWriter ones;
  ones.soi().dqt(0, 1).sof(0xC0, 8, 8, {{1, 1, 1, 0}});
  MemorySource source3(ones.bytes.data(), static_cast<int32_t>(ones.bytes.size()));
  JpegDecoder o;
  o.open(&source3, true);
  EXPECT_EQ(o.quantTables[0][0], 4);
  EXPECT_EQ(o.quantTables[0][1], 6);
  EXPECT_EQ(o.quantTables[0][2], 5);

  JpegWriter shortLength, badId, shortTable;
  shortLength.soi().marker(0xDB).word(1);
  EXPECT_EQ(openCode(shortLength.bytes), QuantSegmentBad);
  badId.soi().dqt(4);
  EXPECT_EQ(openCode(badId.bytes), QuantTableIdInvalid);
  shortTable.soi().marker(0xDB).word(2 + 64).raw({0x00});
  for (int k = 0; k < 64; ++k) shortTable.raw({1});
  EXPECT_EQ(openCode(shortTable.bytes), QuantSegmentShort);
}

TEST(JpegMarkers, FrameHeaderFailures) {
  auto frame = [](int precision, int width, int height, int count, int lengthAdjust) {
    JpegWriter w;
    w.soi().marker(0xC0).word(8 + 3 * count + lengthAdjust).raw({precision}).word(height).word(width);
    w.raw({count});
    for (int i = 0; i < count; ++i) w.raw({i + 1, 0x11, 0});
    return w.bytes;
  };
  EXPECT_EQ(openCode(frame(8, 8, 8, 1, 0)), 0);
  EXPECT_EQ(openCode(frame(12, 8, 8, 1, 0)), PrecisionNot8);
  EXPECT_EQ(openCode(frame(8, 8, 0, 1, 0)), HeightInvalid);
  EXPECT_EQ(openCode(frame(8, 8, 8193, 1, 0)), HeightInvalid);
  EXPECT_EQ(openCode(frame(8, 0, 8, 1, 0)), WidthInvalid);
  EXPECT_EQ(openCode(frame(8, 8193, 8, 1, 0)), WidthInvalid);
  EXPECT_EQ(openCode(frame(8, 8, 8, 5, 0)), TooManyComponents);
  EXPECT_EQ(openCode(frame(8, 8, 8, 1, 1)), FrameSegmentBad);
  EXPECT_EQ(openCode(frame(8, 8192, 8192, 1, 0)), 0);
}

TEST(JpegMarkers, SamplingFactorsOutsideOneToFourAreRefusedAtTheFrameHeader) {
  for (int factors : {0x01, 0x10, 0x15, 0x51, 0x00}) {
    JpegWriter w;
    w.soi().sof(0xC0, 8, 8, {{1, factors >> 4, factors & 15, 0}});
    EXPECT_EQ(openCode(w.bytes), SamplingUnsupported) << factors;
  }
  JpegWriter colour;
  colour.soi().sof(0xC2, 8, 8, {{1, 1, 1, 0}, {2, 1, 0, 0}, {3, 1, 1, 0}});
  EXPECT_EQ(openCode(colour.bytes), SamplingUnsupported);
  JpegWriter four;
  four.soi().sof(0xC0, 8, 8, {{1, 4, 4, 0}});
  EXPECT_EQ(openCode(four.bytes), 0);
}

TEST(JpegMarkers, FrameMarkerDispatch) {
  for (int code : {0xC3, 0xC5, 0xCA, 0xCB, 0xCF}) {
    EXPECT_EQ(openCode(greyFrame([](JpegWriter&) {}, code)), UnsupportedFrame) << code;
  }
  EXPECT_EQ(openCode(greyFrame([](JpegWriter&) {}, 0xC9)), ArithmeticCoding);
  JpegWriter eoiFirst;
  eoiFirst.soi().eoi();
  EXPECT_EQ(openCode(eoiFirst.bytes), UnsupportedFrame);
  JpegWriter dac;
  dac.soi().marker(0xCC).word(4).word(0);
  EXPECT_EQ(openCode(dac.bytes), ArithmeticCoding);
  for (int code : {0x01, 0xC8, 0xD0, 0xD7}) {
    JpegWriter stray;
    stray.soi().marker(code);
    EXPECT_EQ(openCode(stray.bytes), MarkerOutOfPlace) << code;
  }
  JpegWriter app;
  app.soi().marker(0xE0).word(1);
  EXPECT_EQ(openCode(app.bytes), SegmentLengthBad);
  JpegWriter dri;
  dri.soi().marker(0xDD).word(5).word(1).raw({0});
  EXPECT_EQ(openCode(dri.bytes), RestartSegmentBad);
}

TEST(JpegMarkers, ScanHeaderFailures) {
  auto scan = [](std::function<void(JpegWriter&)> header) {
    return greyFrame([&](JpegWriter& w) {
      header(w);
      writeBlock(w, 0, 0);
      w.flush().eoi();
    });
  };
  EXPECT_EQ(decodeCode(scan([](JpegWriter& w) { w.sos({{1, 0x00}}); })), 0);
  EXPECT_EQ(decodeCode(scan([](JpegWriter& w) { w.sos({{9, 0x00}}); })), ScanComponentUnknown);
  EXPECT_EQ(decodeCode(scan([](JpegWriter& w) {
              w.marker(0xDA).word(10).raw({1, 1, 0, 0, 63, 0});
            })),
            ScanSegmentBad);  // length does not match the count
  EXPECT_EQ(decodeCode(scan([](JpegWriter& w) {
              w.marker(0xDA).word(6).raw({0, 0, 63, 0});
            })),
            ScanSegmentBad);  // no component
  // Table ids beyond the slots, and a component named twice.
  EXPECT_EQ(decodeCode(scan([](JpegWriter& w) { w.sos({{1, 0x80}}); })), ScanSegmentBad);
  EXPECT_EQ(decodeCode(scan([](JpegWriter& w) { w.sos({{1, 0x04}}); })), ScanSegmentBad);
  EXPECT_EQ(decodeCode(scan([](JpegWriter& w) { w.sos({{1, 0x00}, {1, 0x00}}); })), ScanSegmentBad);
  // DC id 4..7 names the AC slots: legal, here slot 4 is the AC table itself.
  EXPECT_EQ(decodeCode(scan([](JpegWriter& w) { w.sos({{1, 0x40}}); })), 0);
  // Tables the scan needs but nobody defined.
  EXPECT_EQ(decodeCode(scan([](JpegWriter& w) { w.sos({{1, 0x11}}); })), HuffmanTableMissing);
}

TEST(JpegMarkers, ScanMcuOfMoreThanTenBlocksIsRefusedWhenTheHeaderIsRead) {
  JpegWriter w;
  w.soi().sof(0xC2, 64, 64, {{1, 2, 2, 0}, {2, 2, 2, 0}, {3, 2, 2, 0}});
  w.sos({{1, 0x00}, {2, 0x00}, {3, 0x00}}, 0, 0);
  MemorySource source(w.bytes.data(), static_cast<int32_t>(w.bytes.size()));
  JpegDecoder d;
  d.open(&source, false);
  ASSERT_EQ(d.errorCode, 0);
  EXPECT_EQ(JpegDecoderProbe::run(d,
                                  [&] {
                                    ASSERT_EQ(JpegDecoderProbe::readMarkers(d), 0xDA);
                                    JpegDecoderProbe::readScanHeader(d);
                                  }),
            ScanSegmentBad);
}

TEST(JpegMarkers, SequentialScanCoversTheWholeBand) {
  Bytes bytes = greyFrame([](JpegWriter& w) {
    w.sos({{1, 0x00}}, 1, 5, 0, 0);
    writeBlock(w, 0, 0);
    w.flush().eoi();
  });
  MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
  JpegDecoder d;
  d.open(&source, false);
  ASSERT_EQ(d.startDecompress(), 0);
  EXPECT_EQ(d.spectralStart, 0);
  EXPECT_EQ(d.spectralEnd, 63);
}

TEST(JpegMarkers, ScanStartFailures) {
  // EOI (or any marker but SOS) where the baseline scan must begin.
  EXPECT_EQ(decodeCode(greyFrame([](JpegWriter& w) { w.eoi(); })), MarkerOutOfPlace);
  EXPECT_EQ(decodeCode(greyFrame([](JpegWriter& w) {
              w.sof(0xC0, 8, 8, {{1, 1, 1, 0}});
            })),
            MarkerOutOfPlace);
  // Truncated after the frame header: the substitutes read as EOI.
  EXPECT_EQ(decodeCode(greyFrame([](JpegWriter&) {})), MarkerOutOfPlace);
  // Frame component counts and layouts the output cannot take.
  JpegWriter two;
  two.soi().dqt(0).sof(0xC0, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}});
  EXPECT_EQ(decodeCode(two.bytes), ComponentCountUnsupported);
  JpegWriter chroma;
  chroma.soi().dqt(0).sof(0xC0, 8, 8, {{1, 2, 2, 0}, {2, 2, 1, 0}, {3, 1, 1, 0}});
  EXPECT_EQ(decodeCode(chroma.bytes), SamplingUnsupported);
  JpegWriter luma;
  luma.soi().dqt(0).sof(0xC0, 8, 8, {{1, 3, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}});
  EXPECT_EQ(decodeCode(luma.bytes), SamplingUnsupported);
}

TEST(JpegMarkers, QuantisationSelectorsMustNameADefinedTable) {
  auto withSelector = [](int selector) {
    JpegWriter w;
    w.soi().dqt(0).dht8(0x00, kDcSymbols).dht8(0x10, kAcSymbols);
    w.sof(0xC0, 8, 8, {{1, 1, 1, selector}}).sos({{1, 0x00}});
    writeBlock(w, 0, 0);
    w.flush().eoi();
    return w.bytes;
  };
  EXPECT_EQ(decodeCode(withSelector(0)), 0);
  EXPECT_EQ(decodeCode(withSelector(1)), QuantTableMissing);
  EXPECT_EQ(decodeCode(withSelector(4)), QuantTableMissing);
  EXPECT_EQ(decodeCode(withSelector(255)), QuantTableMissing);
}

TEST(JpegMarkers, SequentialColourFrameMustStartWithAllComponents) {
  JpegWriter w;
  w.soi().dqt(0).dht8(0x00, kDcSymbols).dht8(0x10, kAcSymbols);
  w.sof(0xC1, 8, 8, {{1, 1, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}).sos({{1, 0x00}});
  writeBlock(w, 0, 0);
  w.flush().eoi();
  EXPECT_EQ(decodeCode(w.bytes), UnsupportedFrame);
}

}  // namespace
}  // namespace lumiscene
