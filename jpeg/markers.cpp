// Everything of a JPEG stream that is not entropy-coded (ITU-T T.81 Annex B): the
// start of image, the walk over marker segments, the Huffman and quantisation tables,
// the restart interval, and the frame and scan headers. All reads go through the
// header bit reader in whole bytes, nibbles and big-endian words.
#include "jpeg/entropy_reader.h"

namespace lumiscene {

const int32_t zigzagToNatural[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                     12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                     35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                     58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

namespace {

// True when canonical codes for these counts (T.81 Annex C) fit their lengths and
// their codes longer than 8 bits need no more than the 256 nodes a decode table has.
bool huffmanCodesFit(const uint8_t* counts) {
  uint32_t code = 0;
  int32_t nodes = 0;
  int32_t lastPrefix[16];
  for (int32_t& p : lastPrefix) p = -1;
  for (int32_t length = 1; length <= 16; ++length) {
    for (int32_t i = 0; i < counts[length]; ++i) {
      if (code >= (1u << length)) return false;
      // Canonical codes rise in value, so equal prefixes are neighbours: each change
      // of the prefix at a length from 8 up is one more tree node.
      for (int32_t p = 8; p < length; ++p) {
        auto prefix = static_cast<int32_t>(code >> (length - p));
        if (prefix != lastPrefix[p]) {
          lastPrefix[p] = prefix;
          ++nodes;
        }
      }
      ++code;
    }
    code <<= 1;
  }
  return nodes <= 256;
}

}  // namespace

void JpegDecoder::findStartOfImage() {
  uint32_t previous = readHeaderBits(8);
  uint32_t current = readHeaderBits(8);
  if (previous == 0xFF && current == 0xD8) return;
  int32_t countdown = 512;
  for (;;) {
    if (--countdown == 0) fail(NoStartOfImage);
    previous = current;
    current = readHeaderBits(8);
    if (previous == 0xFF && current == 0xD8) break;
  }
  // Found further in: the byte after it must begin a marker.
  if (((bitRegister >> 8) & 0xFF) != 0xFF) fail(NoStartOfImage);
}

int32_t JpegDecoder::readMarkers() {
  for (;;) {
    uint32_t code;
    do {
      code = readHeaderBits(8);
    } while (code != 0xFF);
    do {
      code = readHeaderBits(8);
    } while (code == 0xFF);
    if (code == 0x00) continue;
    switch (code) {
      case 0x01:
      case 0xC8:
      case 0xD0:
      case 0xD1:
      case 0xD2:
      case 0xD3:
      case 0xD4:
      case 0xD5:
      case 0xD6:
      case 0xD7:
        fail(MarkerOutOfPlace);
      case 0xC0:
      case 0xC1:
      case 0xC2:
      case 0xC3:
      case 0xC5:
      case 0xC6:
      case 0xC7:
      case 0xC9:
      case 0xCA:
      case 0xCB:
      case 0xCD:
      case 0xCE:
      case 0xCF:
      case 0xD8:
      case 0xD9:
      case 0xDA:
        return static_cast<int32_t>(code);
      case 0xC4:
        readHuffmanTables();
        break;
      case 0xCC:
        fail(ArithmeticCoding);
      case 0xDB:
        readQuantTables();
        break;
      case 0xDD:
        readRestartInterval();
        break;
      default:
        skipSegment();
        break;
    }
  }
}

void JpegDecoder::dispatchFrameMarker(int32_t code) {
  switch (code) {
    case 0xC0:
    case 0xC1:
      readFrameHeader();
      return;
    case 0xC2:
      progressive = 1;
      readFrameHeader();
      return;
    case 0xC9:
      fail(ArithmeticCoding);
    default:
      fail(UnsupportedFrame);
  }
}

void JpegDecoder::skipSegment() {
  int32_t length = static_cast<int32_t>(readHeaderBits(16));
  if (length < 2) fail(SegmentLengthBad);
  for (int32_t i = 2; i < length; ++i) readHeaderBits(8);
}

void JpegDecoder::readRestartInterval() {
  if (readHeaderBits(16) != 4) fail(RestartSegmentBad);
  restartInterval = static_cast<int32_t>(readHeaderBits(16));
}

void JpegDecoder::readHuffmanTables() {
  int32_t length = static_cast<int32_t>(readHeaderBits(16));
  if (length < 2) fail(HuffmanSegmentBad);
  int32_t rest = length - 2;
  while (rest != 0) {
    uint32_t classAndId = readHeaderBits(8);
    uint8_t counts[17] = {};
    int32_t total = 0;
    for (int i = 1; i <= 16; ++i) {
      counts[i] = static_cast<uint8_t>(readHeaderBits(8));
      total += counts[i];
    }
    if (total > 255) fail(HuffmanCountOverflow);
    uint8_t symbols[256];
    for (int32_t i = 0; i < total; ++i) symbols[i] = static_cast<uint8_t>(readHeaderBits(8));
    if (rest < 17 + total) fail(HuffmanSegmentBad);
    rest -= 17 + total;
    // Only bit 4 of the byte is the class; the slot test is the only check of the id.
    int32_t slot = static_cast<int32_t>((classAndId & 0x0F) + 4 * ((classAndId >> 4) & 1));
    if (slot >= 8) fail(HuffmanSlotInvalid);
    // Counts that over-subscribe a length would give codes that do not fit it, and
    // some legal-looking counts need more tree nodes than a decode table holds; both
    // would make the table builder index outside its arrays.
    if (!huffmanCodesFit(counts)) fail(HuffmanSegmentBad);
    if (huffCounts[slot] == nullptr) huffCounts[slot] = static_cast<uint8_t*>(allocate(17));
    if (huffValues[slot] == nullptr) huffValues[slot] = static_cast<uint8_t*>(allocate(256));
    for (int i = 0; i <= 16; ++i) huffCounts[slot][i] = counts[i];
    for (int32_t i = 0; i < total; ++i) huffValues[slot][i] = symbols[i];
  }
}

void JpegDecoder::readQuantTables() {
  int32_t length = static_cast<int32_t>(readHeaderBits(16));
  if (length < 2) fail(QuantSegmentBad);
  int32_t rest = length - 2;
  while (rest != 0) {
    uint32_t precision = readHeaderBits(4);
    uint32_t id = readHeaderBits(4);
    if (id >= 4) fail(QuantTableIdInvalid);
    if (quantTables[id] == nullptr) quantTables[id] = static_cast<int16_t*>(allocate(128));
    int16_t* table = quantTables[id];
    for (int k = 0; k < 64; ++k) {
      uint32_t v = readHeaderBits(8);
      if (precision != 0) v = (v << 8) + readHeaderBits(8);
      quantValues[id][zigzagToNatural[k]] = static_cast<uint16_t>(v);
      if (mmxActive) {
        // The four-lane transform dequantises with multipliers that fold in the AAN
        // output scale, in natural order.
        int32_t n = zigzagToNatural[k];
        uint32_t scaled = (v * static_cast<uint32_t>(aanScale[n]) + 2048) >> 12;
        table[n] = static_cast<int16_t>(scaled);
      } else {
        table[k] = static_cast<int16_t>(v);
      }
    }
    int32_t need = precision != 0 ? 129 : 65;
    if (rest < need) fail(QuantSegmentShort);
    rest -= need;
  }
}

void JpegDecoder::readFrameHeader() {
  int32_t length = static_cast<int32_t>(readHeaderBits(16));
  if (readHeaderBits(8) != 8) fail(PrecisionNot8);
  imageHeight = static_cast<int32_t>(readHeaderBits(16));
  if (imageHeight == 0 || imageHeight > 8192) fail(HeightInvalid);
  imageWidth = static_cast<int32_t>(readHeaderBits(16));
  if (imageWidth == 0 || imageWidth > 8192) fail(WidthInvalid);
  componentCount = static_cast<int32_t>(readHeaderBits(8));
  if (componentCount > 4) fail(TooManyComponents);
  if (length != 8 + 3 * componentCount) fail(FrameSegmentBad);
  for (int32_t i = 0; i < componentCount; ++i) {
    compIdent[i] = static_cast<int32_t>(readHeaderBits(8));
    compHSamp[i] = static_cast<int32_t>(readHeaderBits(4));
    compVSamp[i] = static_cast<int32_t>(readHeaderBits(4));
    compQuantSel[i] = static_cast<int32_t>(readHeaderBits(8));
    // T.81 B.2.2 limits sampling factors to 1..4; a 0 would divide by zero in the
    // scan geometry, a larger one would size MCUs beyond the block lists.
    if (compHSamp[i] < 1 || compHSamp[i] > 4 || compVSamp[i] < 1 || compVSamp[i] > 4) {
      fail(SamplingUnsupported);
    }
  }
}

void JpegDecoder::readScanHeader() {
  int32_t length = static_cast<int32_t>(readHeaderBits(16));
  scanCompCount = static_cast<int32_t>(readHeaderBits(8));
  if (length != 6 + 2 * scanCompCount || scanCompCount < 1 || scanCompCount > 4) {
    fail(ScanSegmentBad);
  }
  bool named[4] = {};
  for (int32_t i = 0; i < scanCompCount; ++i) {
    auto id = static_cast<int32_t>(readHeaderBits(8));
    uint32_t tables = readHeaderBits(8);
    int32_t j = 0;
    while (j < componentCount && compIdent[j] != id) ++j;
    if (j == componentCount) fail(ScanComponentUnknown);
    // Table ids name slots of the 8 that exist (a DC id picks slot id, an AC id slot
    // id + 4), and a component named twice would make the MCU overlap itself.
    if ((tables >> 4) > 7 || (tables & 0x0F) > 3 || named[j]) fail(ScanSegmentBad);
    named[j] = true;
    scanComps[i] = j;
    compDcSlot[j] = static_cast<int32_t>(tables >> 4);
    compAcSlot[j] = static_cast<int32_t>(tables & 0x0F) + 4;
  }
  // T.81 B.2.3: an interleaved MCU has at most 10 blocks, as the block lists hold.
  if (scanCompCount > 1) {
    int32_t blocks = 0;
    for (int32_t i = 0; i < scanCompCount; ++i) {
      blocks += compHSamp[scanComps[i]] * compVSamp[scanComps[i]];
    }
    if (blocks > 10) fail(ScanSegmentBad);
  }
  spectralStart = static_cast<int32_t>(readHeaderBits(8));
  spectralEnd = static_cast<int32_t>(readHeaderBits(8));
  approxHigh = static_cast<int32_t>(readHeaderBits(4));
  approxLow = static_cast<int32_t>(readHeaderBits(4));
  if (!progressive) {
    spectralStart = 0;
    spectralEnd = 63;
  }
}

}  // namespace lumiscene
