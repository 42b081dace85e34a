// The decoder record: allocation slots, the failure jump, release, the source's
// attach/detach protocol, the memory source, and the public operations' state rules.
#include <gtest/gtest.h>

#include "jpeg/decoded_picture.h"
#include "jpeg/jpeg_error.h"
#include "tests/jpeg/jpeg_test_support.h"

namespace lumiscene {
namespace {

Bytes minimalGrey() {
  return craftedGrey(8, 8, [](JpegWriter& w) { writeBlock(w, 0, 0); });
}

TEST(JpegMemory, HundredSlotsThenOutOfSlotsFreesEverything) {
  ScriptedSource source(minimalGrey());
  auto d = std::make_unique<JpegDecoder>();
  JpegDecoderProbe::attach(*d, &source, false);
  for (int i = 0; i < 100; ++i) {
    auto* p = static_cast<uint8_t*>(JpegDecoderProbe::allocate(*d, i));
    ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % 8, 0u);
    for (int j = 0; j < i; ++j) ASSERT_EQ(p[j], 0);
  }
  EXPECT_EQ(JpegDecoderProbe::run(*d, [&] { JpegDecoderProbe::allocate(*d, 1); }), OutOfSlots);
  EXPECT_EQ(d->errorCode, OutOfSlots);
  for (void* slot : d->allocSlots) EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(d->source, nullptr);
  EXPECT_EQ(source.detaches, 1);
}

TEST(JpegMemory, ReleaseDetachesOnceAndOpenAttachesOnce) {
  ScriptedSource source(minimalGrey());
  {
    JpegDecoder d;
    d.open(&source, true);
    ASSERT_EQ(d.errorCode, 0);
    EXPECT_EQ(source.attaches, 1);
    d.release();
    d.release();
    EXPECT_EQ(source.detaches, 1);
  }
  EXPECT_EQ(source.detaches, 1);
}

TEST(JpegMemory, FailedSourceReadIsReportedAndDetached) {
  ScriptedSource source(minimalGrey());
  source.failReads = true;
  JpegDecoder d;
  d.open(&source, false);
  EXPECT_EQ(d.errorCode, SourceReadFailed);
  EXPECT_EQ(source.detaches, 1);
  EXPECT_EQ(d.startDecompress(), -1);
}

TEST(JpegMemory, SmallPiecesFillTheWholeBuffer) {
  Bytes bytes = minimalGrey();
  bytes.resize(6000, 0x00);
  ScriptedSource source(bytes, 7);
  JpegDecoder d;
  JpegDecoderProbe::attach(d, &source, false);
  EXPECT_EQ(d.inAvail, JpegDecoder::kInputSize - 4);  // the header reader holds 4 bytes
  EXPECT_EQ(source.reads, (4096 + 6) / 7);
}

TEST(JpegMemory, PublicOperationsFollowTheirStates) {
  Bytes bytes = minimalGrey();
  MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
  JpegDecoder d;
  uint8_t* row = nullptr;
  int32_t count = 0;
  d.open(&source, false);
  ASSERT_EQ(d.errorCode, 0);
  EXPECT_EQ(d.readRow(&row, &count), -1);  // not started
  EXPECT_EQ(d.startDecompress(), 0);
  EXPECT_EQ(d.startDecompress(), 0);
  for (int y = 0; y < 8; ++y) ASSERT_EQ(d.readRow(&row, &count), 0);
  EXPECT_EQ(count, 8);
  EXPECT_EQ(d.rowsLeft, 0);
  EXPECT_EQ(d.readRow(&row, &count), 1);
  EXPECT_EQ(d.readRow(&row, &count), 1);
}

TEST(JpegMemory, RowFailureReportsOverrunButRecordsTheCause) {
  // Restart interval 1 with no RST0 after the first MCU of the second row.
  Bytes bytes = craftedGrey(
      8, 16, [](JpegWriter& w) { writeBlock(w, 0, 0); }, 1);
  MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
  JpegDecoder d;
  d.open(&source, true);
  ASSERT_EQ(d.startDecompress(), 0);
  uint8_t* row;
  int32_t count;
  for (int y = 0; y < 8; ++y) ASSERT_EQ(d.readRow(&row, &count), 0);
  EXPECT_EQ(d.readRow(&row, &count), CoefficientOverrun);
  EXPECT_EQ(d.errorCode, RestartSequenceBroken);
  EXPECT_EQ(d.readRow(&row, &count), -1);
  EXPECT_EQ(d.startDecompress(), 0);  // it had completed before the failure
}

TEST(JpegMemory, MemorySourceRaisesTheEndFlagAfterTheLastByte) {
  const uint8_t bytes[5] = {1, 2, 3, 4, 5};
  MemorySource source(bytes, 5);
  uint8_t buffer[8];
  bool atEnd = false;
  EXPECT_EQ(source.read(buffer, 5, &atEnd), 5);
  EXPECT_FALSE(atEnd);
  EXPECT_EQ(source.read(buffer, 5, &atEnd), 0);
  EXPECT_TRUE(atEnd);

  MemorySource partial(bytes, 5);
  atEnd = false;
  EXPECT_EQ(partial.read(buffer, 3, &atEnd), 3);
  EXPECT_EQ(partial.read(buffer, 8, &atEnd), 2);
  EXPECT_TRUE(atEnd);

  MemorySource empty(bytes, 0);
  EXPECT_TRUE(empty.atEnd);
  MemorySource absent(nullptr, 4);
  EXPECT_EQ(absent.read(buffer, 4, &atEnd), -1);
}

}  // namespace
}  // namespace lumiscene
