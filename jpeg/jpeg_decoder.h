// The JPEG decoder: one state record per decoding of a baseline, extended sequential
// or progressive Huffman-coded picture (ITU-T T.81) with 8-bit samples, read from an
// InputSource. A decoding runs open, startDecompress, readRow once per output row and
// release. Every block of memory goes through the record's 100 allocation slots, and
// any failure anywhere records a negative JpegError, frees everything, detaches the
// source and returns straight to the public operation that was running.
#pragma once

#include <cstdint>

#include "jpeg/jpeg_error.h"

namespace lumiscene {

// The byte source a decoder reads from. read copies up to maxCount bytes and returns
// how many, or -1 when it cannot read at all; it sets *atEnd once it has delivered
// its last byte. The decoder never deletes its source.
class InputSource {
 public:
  virtual ~InputSource();
  virtual int32_t read(uint8_t* dest, int32_t maxCount, bool* atEnd) = 0;
  virtual void onAttach();
  virtual void onDetach();
};

// Huffman decode table of one slot (3328 bytes). lookup is indexed by the next 8 bits:
// a symbol (>= 0) of a code of at most 8 bits, or a negative root node of the longer
// codes with that prefix. Node e has its child for bit 1 at tree[-e - 1] and for bit 0
// at tree[-e].
struct DecodeTable {
  int32_t lookup[256];
  uint8_t codeLength[256];
  int32_t tree[512];
};

// A whole-image coefficient array of one component of a progressive frame.
struct CoefArray {
  uint8_t* data;
  int32_t widthBlocks;
  int32_t heightBlocks;
  int32_t elementBytes;
};

// True on every processor: the four-lane transform is portable integer code.
bool cpuHasMmx();

// Packs one delivered row into 0x00RRGGBB pixels: colour rows hold R, G, B, x per
// pixel, grey rows one byte per pixel (bytesPerPixel as read from the decoder).
void packRow(const uint8_t* row, int32_t width, int32_t bytesPerPixel, int32_t componentCount, uint32_t* out);

struct EntropyReader32;
struct EntropyReader64;

class JpegDecoder {
 public:
  static constexpr int32_t kSlotCount = 100;
  static constexpr int32_t kMaxBlocksPerMcuRow = 6144;
  static constexpr int32_t kInputSize = 4096;
  static constexpr int32_t kPutBackReserve = 128;
  static constexpr int32_t kInputTail = 128;

  JpegDecoder() = default;
  ~JpegDecoder();
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  // Reads the data up to and including the frame header; errorCode tells the outcome.
  void open(InputSource* source, bool mmxRequested);
  // 0 when rows can be read (also when that was already so), -1 after any failure.
  int32_t startDecompress();
  // 0: *row holds the next row of *bytes bytes; 1: all rows delivered; -1: failed
  // before or not started; -227: failed while decoding the next MCU row.
  int32_t readRow(uint8_t** row, int32_t* bytes);
  // Detaches the source and frees every slot; later calls do nothing more.
  void release();

  // The state record. Readable by the owner; written only by the decoder.
  int32_t imageWidth = 0;
  int32_t imageHeight = 0;
  // Written by the owner between open and startDecompress: 2, 4 or 8 decodes a
  // progressive frame at that fraction of its size, each output pixel standing for
  // a square of that side, and keeps of each block only the coefficients that size
  // needs. Any other value, and any sequential frame, decode at full size.
  int32_t scaleDenominator = 1;
  // The size of the rows readRow delivers, known once startDecompress succeeded.
  int32_t outputWidth = 0;
  int32_t outputHeight = 0;
  InputSource* source = nullptr;
  int32_t progressive = 0;
  uint8_t* huffCounts[8] = {};
  uint8_t* huffValues[8] = {};
  int16_t* quantTables[4] = {};
  // The tables as the stream gives them, in natural order, whatever the transform.
  uint16_t quantValues[4][64] = {};
  int32_t outputLayout = 0;
  int32_t componentCount = 0;
  int32_t compHSamp[4] = {}, compVSamp[4] = {}, compQuantSel[4] = {}, compIdent[4] = {};
  int32_t compWidthBlocks[4] = {}, compHeightBlocks[4] = {};
  int32_t scanCompCount = 0;
  int32_t scanComps[4] = {};
  int32_t compDcSlot[4] = {}, compAcSlot[4] = {};
  int32_t spectralStart = 0, spectralEnd = 0, approxLow = 0, approxHigh = 0;
  int32_t mcuWidth = 0, mcuHeight = 0, scanBlocksPerMcu = 0, blocksPerMcuRow = 0;
  int32_t scanMcusPerRow = 0, scanMcuRows = 0;
  int32_t mcuBlockComp[10] = {};
  int32_t rowsLeft = 0, rowsLeftInMcuRow = 0, rowBytes = 0, rowBufferBytes = 0, bytesPerPixel = 0;
  void* allocSlots[kSlotCount] = {};
  DecodeTable* huffDecode[8] = {};
  CoefArray* dcCoefArray[4] = {};
  CoefArray* acCoefArray[4] = {};
  int32_t eobRun = 0;
  int32_t coefRowCursor[4] = {};
  uint8_t* inCur = nullptr;
  int32_t inAvail = 0;
  int32_t eodToggle = 0;
  bool sourceAtEnd = false;
  // Put-back reserve, data area and tail in one array, so bytes put back in front of
  // the data area stay inside the record.
  alignas(16) uint8_t inStorage[kPutBackReserve + kInputSize + kInputTail] = {};
  int32_t bitReserve = 0;
  uint64_t bitRegister = 0;
  bool mmxBitReader = false;
  int32_t restartInterval = 0, restartsLeft = 0, nextRestartNumber = 0;
  int32_t mcusPerRow = 0, blocksPerMcu = 0, mcuRows = 0;
  int32_t* blockLastDc[10] = {};
  int32_t lastDc[4] = {};
  DecodeTable* blockDcTable[10] = {};
  DecodeTable* blockAcTable[10] = {};
  int16_t* coefBlocks[kMaxBlocksPerMcuRow] = {};
  int32_t blockDirty[kMaxBlocksPerMcuRow] = {};
  uint8_t* sampleBuffer = nullptr;
  int32_t crToR[256] = {}, cbToB[256] = {}, crToG[256] = {}, cbToG[256] = {};
  uint8_t* rowBuffer0 = nullptr;
  uint8_t* rowBuffer1 = nullptr;
  alignas(16) int16_t idctWork[64] = {};
  // Reduced decoding: the side of the square a luma block becomes (8 at full size);
  // per component the width and height a block becomes (a subsampled component's
  // blocks stay larger, so that every plane comes out at the luma plane's size),
  // each natural coefficient's place in a kept block (-1: not kept), and the planes
  // of samples the kept coefficients give.
  int32_t reducedSide = 8;
  int32_t reducedWidth[4] = {};
  int32_t reducedHeight[4] = {};
  int8_t reducedSlot[4][64] = {};
  uint8_t* reducedPlanes[4] = {};
  int32_t reducedPlaneWidth[4] = {};
  bool mmxRequested = false;
  bool mmxActive = false;
  int32_t errorCode = 0;
  bool started = false;

  // Per Huffman slot, the code length and symbol of each lookup entry that holds a
  // short code ((length << 8) | symbol), kLongCode where a longer code begins: one load
  // instead of two in the baseline decoders. Rebuilt with the decode tables.
  static constexpr uint16_t kLongCode = 0xFFFF;
  uint16_t huffFast[8][256] = {};

  uint8_t* inBuffer() { return inStorage + kPutBackReserve; }

 private:
  // The failure jump: thrown by fail, caught only by open, startDecompress and readRow.
  struct Failure {
    int32_t code;
  };

  friend struct EntropyReader32;
  friend struct EntropyReader64;
  friend struct JpegDecoderProbe;  // unit tests reach the stages through it

  // Record and memory (jpeg_decoder.cpp).
  void reset(InputSource* src, bool mmx);
  void* allocate(int32_t size);
  void* allocateLarge(int64_t size);
  [[noreturn]] void fail(int32_t code);

  // Input buffer and bit readers (input.cpp, entropy_reader.h).
  void refillInput();
  uint32_t nextByte();
  uint32_t nextByteFlagged(bool* substitute);
  uint32_t nextEntropyByte();
  void putBack(uint32_t byte);
  uint32_t readHeaderBits(int32_t n);
  uint32_t readEntropyBits(int32_t n);
  uint32_t readEntropyBits64(int32_t n);
  uint64_t fetch48();
  void primeHeaderReader();
  void primeEntropyReader();
  void loadEntropyReader();

  // Markers and headers (markers.cpp).
  void findStartOfImage();
  int32_t readMarkers();
  void dispatchFrameMarker(int32_t code);
  void skipSegment();
  void readRestartInterval();
  void readHuffmanTables();
  void readQuantTables();
  void readFrameHeader();
  void readScanHeader();

  // Huffman tables, scan set-up and baseline decoding (huffman.cpp).
  void buildDecodeTable(int32_t slot);
  void computeScanGeometry();
  void prepareScanTables();
  void checkScanQuantTables();
  void setUpScan();
  void decodeMcuRow();
  void decodeMcuRow64();
  void processRestart();
  template <class Reader, bool Quantised>
  void decodeMcuRowWith(Reader& reader);
  template <class Reader, bool Quantised>
  void decodeBlock(Reader& reader, int32_t k, int32_t m);

  // Progressive decoding (progressive.cpp).
  void decodeProgressiveScans();
  template <int Kind>
  void decodeScanBlocks();
  void decodeDcFirst(EntropyReader32& reader, int32_t c, int32_t x, int32_t y);
  void decodeDcRefine(EntropyReader32& reader, int32_t c, int32_t x, int32_t y);
  // Block: WholeBlock at full size, ReducedBlock in reduced decoding (coefficient_blocks.h).
  template <class Block>
  void decodeAcFirst(EntropyReader32& reader, int32_t c, int32_t x, int32_t y);
  template <class Block>
  void decodeAcRefine(EntropyReader32& reader, int32_t c, int32_t x, int32_t y);
  void loadMcuRowCoefficients();

  // Reduced progressive decoding (reduced.cpp).
  void setUpReduction();
  void buildReducedPlanes();
  uint8_t* produceReducedRow(int32_t y);

  // Inverse transforms (idct.cpp).
  void inverseTransformMcuRow();

  // Upsampling, colour conversion and output rows (colour.cpp).
  void setUpOutput();
  void buildColourTables();
  uint8_t* produceRow();
};

}  // namespace lumiscene
