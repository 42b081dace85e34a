// The decoder record's memory slots and failure jump, and the three public decoding
// operations that drive the stages: open reads up to the frame header,
// startDecompress sets up the output and the first scan (or decodes every scan of a
// progressive frame), readRow hands out one row at a time, decoding an MCU row when
// the previous one is used up.
#include <cstdlib>
#include <cstring>

#include "jpeg/entropy_reader.h"
#include "jpeg/jpeg_decoder.h"

namespace lumiscene {

InputSource::~InputSource() = default;
void InputSource::onAttach() {}
void InputSource::onDetach() {}

bool cpuHasMmx() { return true; }

JpegDecoder::~JpegDecoder() { release(); }

void JpegDecoder::reset(InputSource* src, bool mmx) {
  errorCode = 0;
  started = false;
  imageWidth = imageHeight = 0;
  scaleDenominator = 1;
  outputWidth = outputHeight = 0;
  reducedSide = 8;
  source = src;
  mmxRequested = mmx;
  mmxActive = mmx && cpuHasMmx();

  progressive = 0;
  for (int i = 0; i < 8; ++i) {
    huffCounts[i] = nullptr;
    huffValues[i] = nullptr;
    huffDecode[i] = nullptr;
  }
  for (int i = 0; i < 4; ++i) {
    quantTables[i] = nullptr;
    compHSamp[i] = compVSamp[i] = compQuantSel[i] = compIdent[i] = 0;
    compWidthBlocks[i] = compHeightBlocks[i] = 0;
    scanComps[i] = compDcSlot[i] = compAcSlot[i] = 0;
    dcCoefArray[i] = acCoefArray[i] = nullptr;
    reducedPlanes[i] = nullptr;
    coefRowCursor[i] = 0;
    lastDc[i] = 0;
  }
  outputLayout = componentCount = scanCompCount = 0;
  spectralStart = spectralEnd = approxLow = approxHigh = 0;
  mcuWidth = mcuHeight = scanBlocksPerMcu = blocksPerMcuRow = scanMcusPerRow = scanMcuRows = 0;
  for (int i = 0; i < 10; ++i) {
    mcuBlockComp[i] = 0;
    blockLastDc[i] = nullptr;
    blockDcTable[i] = blockAcTable[i] = nullptr;
  }
  rowsLeft = rowsLeftInMcuRow = rowBytes = rowBufferBytes = bytesPerPixel = 0;
  for (void*& slot : allocSlots) {
    std::free(slot);
    slot = nullptr;
  }
  eobRun = 0;
  restartInterval = restartsLeft = nextRestartNumber = 0;
  mcusPerRow = blocksPerMcu = mcuRows = 0;
  sampleBuffer = rowBuffer0 = rowBuffer1 = nullptr;
  inCur = inBuffer();
  inAvail = 0;
  sourceAtEnd = false;
  eodToggle = 0;
  std::memset(inStorage, 0, sizeof inStorage);

  source->onAttach();
  mmxBitReader = false;
  bitRegister = 0;
  bitReserve = 0;
  refillInput();
  primeHeaderReader();
  for (int32_t& dirty : blockDirty) dirty = 64;
}

void* JpegDecoder::allocate(int32_t size) {
  int slot = 0;
  while (slot < kSlotCount && allocSlots[slot] != nullptr) ++slot;
  if (slot == kSlotCount) fail(OutOfSlots);
  // calloc zeroes the block, and large fresh blocks cost no extra pass for it.
  void* raw = std::calloc(static_cast<size_t>(size) + 8, 1);
  if (raw == nullptr) fail(OutOfMemory);
  allocSlots[slot] = raw;
  auto address = reinterpret_cast<uintptr_t>(raw);
  return reinterpret_cast<void*>((address + 7) & ~uintptr_t{7});
}

// Sizes derived from frame dimensions can exceed what one block may hold (a
// one-component frame with large sampling factors asks for gigabytes); such a request
// is refused as the heap would refuse it.
void* JpegDecoder::allocateLarge(int64_t size) {
  if (size < 0 || size > INT32_MAX - 8) fail(OutOfMemory);
  return allocate(static_cast<int32_t>(size));
}

void JpegDecoder::fail(int32_t code) {
  errorCode = code;
  release();
  throw Failure{code};
}

void JpegDecoder::release() {
  if (source != nullptr) {
    source->onDetach();
    source = nullptr;
  }
  for (void*& slot : allocSlots) {
    std::free(slot);
    slot = nullptr;
  }
}

void JpegDecoder::open(InputSource* src, bool mmx) {
  try {
    reset(src, mmx);
    findStartOfImage();
    dispatchFrameMarker(readMarkers());
  } catch (const Failure&) {
  }
}

int32_t JpegDecoder::startDecompress() {
  if (started) return 0;
  if (errorCode != 0) return -1;
  try {
    setUpOutput();
    if (progressive) {
      setUpReduction();
      decodeProgressiveScans();
    } else {
      if (readMarkers() != 0xDA) fail(MarkerOutOfPlace);
      readScanHeader();
      // A sequential colour frame whose first scan lacks a component would be taken
      // as interleaved data and decode into a wrong picture; only the first scan of
      // a sequential frame is ever read.
      if (componentCount == 3 && scanCompCount != 3) fail(UnsupportedFrame);
      setUpScan();
    }
    started = true;
    return 0;
  } catch (const Failure&) {
    return -1;
  }
}

int32_t JpegDecoder::readRow(uint8_t** row, int32_t* bytes) {
  if (errorCode != 0 || !started) return -1;
  if (rowsLeft == 0) return 1;
  if (reducedSide < 8) {
    *row = produceReducedRow(outputHeight - rowsLeft);
    *bytes = rowBytes;
    --rowsLeft;
    return 0;
  }
  if (rowsLeftInMcuRow == 0) {
    try {
      if (progressive) {
        loadMcuRowCoefficients();
      } else if (mmxBitReader) {
        decodeMcuRow64();
      } else {
        decodeMcuRow();
      }
      if (rowsLeft <= mcuHeight && !progressive) {
        // The markers after the scan are read before the last rows go out; what they
        // say no longer matters, but a failure while reading them ends the decoding.
        primeHeaderReader();
        readMarkers();
      }
    } catch (const Failure&) {
      return CoefficientOverrun;
    }
    inverseTransformMcuRow();
    rowsLeftInMcuRow = mcuHeight;
  }
  *row = produceRow();
  *bytes = rowBytes;
  --rowsLeftInMcuRow;
  --rowsLeft;
  return 0;
}

}  // namespace lumiscene
