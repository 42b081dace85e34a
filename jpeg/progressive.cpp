// Progressive decoding (ITU-T T.81 Annex G, Huffman coding): every scan of the frame
// is decoded into whole-image coefficient arrays during startDecompress; readRow then
// copies one MCU row at a time out of the arrays, dequantising on the integer path.
#include "jpeg/coefficient_blocks.h"
#include "jpeg/entropy_reader.h"

namespace lumiscene {

namespace {

enum BlockDecoderKind { DcFirst, DcRefine, AcFirst, AcRefine, AcFirstReduced, AcRefineReduced };

int16_t* blockEntry(CoefArray* array, int32_t x, int32_t y) {
  return reinterpret_cast<int16_t*>(coefficientElement(array, x, y));
}

bool outside(const CoefArray* array, int32_t x, int32_t y) {
  return x >= array->widthBlocks || y >= array->heightBlocks;
}

// Steps to the next block of an MCU: across the component's sampling
// rectangle, then down it, then on to the component's next rectangle. A
// single-component scan has one block per MCU and walks block by block.
inline void nextMcuBlock(bool single, int32_t hSamp, int32_t vSamp, int32_t& sx, int32_t& sy, int32_t& colBase) {
  if (single) {
    colBase += 1;
  } else if (++sx == hSamp) {
    sx = 0;
    if (++sy == vSamp) {
      sy = 0;
      colBase += hSamp;
    }
  }
}

}  // namespace

void JpegDecoder::decodeProgressiveScans() {
  for (int32_t c = 0; c < componentCount; ++c) {
    CoefArray* arrays[2];
    for (int32_t a = 0; a < 2; ++a) {
      auto* array = static_cast<CoefArray*>(allocate(sizeof(CoefArray)));
      array->widthBlocks = compHSamp[c] * mcusPerRow;
      array->heightBlocks = compVSamp[c] * mcuRows;
      array->elementBytes = a == 0 ? 2 : reducedSide < 8 ? reducedElementBytes(reducedWidth[c], reducedHeight[c]) : 128;
      array->data = static_cast<uint8_t*>(
          allocateLarge(int64_t{array->widthBlocks} * array->heightBlocks * array->elementBytes));
      arrays[a] = array;
    }
    dcCoefArray[c] = arrays[0];
    acCoefArray[c] = arrays[1];
  }
  for (;;) {
    int32_t marker = readMarkers();
    if (marker == 0xD9) break;
    if (marker != 0xDA) fail(MarkerOutOfPlace);
    readScanHeader();
    setUpScan();
    int32_t ss = spectralStart, se = spectralEnd;
    if (ss > se || se > 63 || (ss == 0 && se != 0) || (ss != 0 && scanCompCount > 1)) {
      fail(ScanParametersBad);
    }
    if (approxHigh != 0 && approxLow != approxHigh - 1) fail(ApproximationBad);
    if (ss == 0) {
      approxHigh == 0 ? decodeScanBlocks<DcFirst>() : decodeScanBlocks<DcRefine>();
    } else if (reducedSide < 8) {
      approxHigh == 0 ? decodeScanBlocks<AcFirstReduced>() : decodeScanBlocks<AcRefineReduced>();
    } else {
      approxHigh == 0 ? decodeScanBlocks<AcFirst>() : decodeScanBlocks<AcRefine>();
    }
    primeHeaderReader();
  }
  // Rows dereference every component's table, including components no scan named
  // and tables whose scans were checked before they could be replaced.
  for (int32_t c = 0; c < componentCount; ++c) {
    if (compQuantSel[c] > 3 || quantTables[compQuantSel[c]] == nullptr) fail(QuantTableMissing);
  }
  scanCompCount = componentCount;
  for (int32_t i = 0; i < componentCount; ++i) scanComps[i] = i;
  computeScanGeometry();
  if (reducedSide < 8) buildReducedPlanes();
}

template <int Kind>
void JpegDecoder::decodeScanBlocks() {
  EntropyReader32 reader(*this);
  int32_t colBase[4] = {}, rowBase[4] = {};
  const bool single = scanCompCount == 1;
  for (int32_t mcuRow = 0; mcuRow < scanMcuRows; ++mcuRow) {
    for (int32_t& col : colBase) col = 0;
    for (int32_t mcu = 0; mcu < scanMcusPerRow; ++mcu) {
      if (restartInterval != 0 && restartsLeft == 0) {
        reader.store();
        processRestart();
        reader.load();
      }
      int32_t sx = 0, sy = 0;
      for (int32_t b = 0; b < scanBlocksPerMcu; ++b) {
        int32_t c = mcuBlockComp[b];
        int32_t x = colBase[c] + sx, y = rowBase[c] + sy;
        if constexpr (Kind == DcFirst) decodeDcFirst(reader, c, x, y);
        if constexpr (Kind == DcRefine) decodeDcRefine(reader, c, x, y);
        if constexpr (Kind == AcFirst) decodeAcFirst<WholeBlock>(reader, c, x, y);
        if constexpr (Kind == AcRefine) decodeAcRefine<WholeBlock>(reader, c, x, y);
        if constexpr (Kind == AcFirstReduced) decodeAcFirst<ReducedBlock>(reader, c, x, y);
        if constexpr (Kind == AcRefineReduced) decodeAcRefine<ReducedBlock>(reader, c, x, y);
        nextMcuBlock(single, compHSamp[c], compVSamp[c], sx, sy, colBase[c]);
      }
      --restartsLeft;
    }
    for (int32_t i = 0; i < scanCompCount; ++i) {
      int32_t c = scanComps[i];
      rowBase[c] += single ? 1 : compVSamp[c];
    }
  }
  reader.store();
}

void JpegDecoder::decodeDcFirst(EntropyReader32& reader, int32_t c, int32_t x, int32_t y) {
  if (outside(dcCoefArray[c], x, y)) fail(BlockIndexOutOfRange);
  uint32_t extra;
  int32_t s = reader.decodeWithExtra(*huffDecode[compDcSlot[c]], huffFast[compDcSlot[c]], extra,
                                     [](int32_t e) { return e; });
  // As in baseline data, a category above 16 is corrupt.
  if (s > 16) fail(CoefficientOverrun);
  int32_t diff = extendValueFast(extra, s);
  auto dc = static_cast<uint32_t>(lastDc[c]) + static_cast<uint32_t>(diff);
  lastDc[c] = static_cast<int32_t>(dc);
  *blockEntry(dcCoefArray[c], x, y) = static_cast<int16_t>(dc << approxLow);
}

void JpegDecoder::decodeDcRefine(EntropyReader32& reader, int32_t c, int32_t x, int32_t y) {
  if (reader.bits(1) == 0) return;
  if (outside(dcCoefArray[c], x, y)) fail(BlockIndexOutOfRange);
  int16_t* entry = blockEntry(dcCoefArray[c], x, y);
  *entry = static_cast<int16_t>(*entry | (1 << approxLow));
}

template <class Block>
void JpegDecoder::decodeAcFirst(EntropyReader32& reader, int32_t c, int32_t x, int32_t y) {
  if (eobRun > 0) {
    --eobRun;
    return;
  }
  if (outside(acCoefArray[c], x, y)) fail(BlockIndexOutOfRange);
  const Block block(acCoefArray[c], x, y, reducedSlot[c]);
  const DecodeTable& table = *huffDecode[compAcSlot[c]];
  const uint16_t* fast = huffFast[compAcSlot[c]];
  for (int32_t k = spectralStart; k <= spectralEnd; ++k) {
    uint32_t extra;
    int32_t symbol = reader.decodeWithExtra(table, fast, extra, [](int32_t e) { return e & 15; });
    int32_t r = symbol >> 4, s = symbol & 15;
    if (s != 0) {
      k += r;
      if (k > 63) fail(CoefficientOverrun);
      auto v = static_cast<uint32_t>(extendValueFast(extra, s));
      block.set(zigzagToNatural[k], static_cast<int16_t>(v << approxLow));
    } else if (r == 15) {
      k += 15;
      if (k > 63) fail(CoefficientOverrun);
    } else {
      // End of band: this block and 2^r - 1 + (r extra bits) blocks after it.
      eobRun = 1 << r;
      if (r != 0) eobRun += static_cast<int32_t>(reader.bits(r));
      --eobRun;
      return;
    }
  }
}

template <class Block>
void JpegDecoder::decodeAcRefine(EntropyReader32& reader, int32_t c, int32_t x, int32_t y) {
  if (outside(acCoefArray[c], x, y)) fail(BlockIndexOutOfRange);
  const Block block(acCoefArray[c], x, y, reducedSlot[c]);
  const DecodeTable& table = *huffDecode[compAcSlot[c]];
  const int32_t p1 = 1 << approxLow;
  const int32_t m1 = -p1;
  const int32_t se = spectralEnd;
  // T.81 G.1.2.3: a correction bit refines every coefficient that is already
  // non-zero (a reduced block reads it also for one it does not keep); it adds
  // only when that bit is not yet set.
  auto refine = [&](int32_t n) {
    if (reader.bits(1) == 0) return;
    int16_t* coef = block.kept(n);
    if (coef != nullptr && (*coef & p1) == 0) *coef = static_cast<int16_t>(*coef + (*coef >= 0 ? p1 : m1));
  };
  int32_t k = spectralStart;
  if (eobRun == 0) {
    while (k <= se) {
      int32_t symbol = reader.decodeSymbol(table);
      int32_t r = symbol >> 4, s = symbol & 15;
      int32_t value = 0;
      if (s != 0) {
        if (s != 1) fail(CoefficientOverrun);
        value = reader.bits(1) != 0 ? p1 : m1;
      } else if (r < 15) {
        eobRun = 1 << r;
        if (r != 0) eobRun += static_cast<int32_t>(reader.bits(r));
        break;
      }
      while (k <= se) {
        const int32_t n = zigzagToNatural[k];
        if (block.isNonZero(n)) {
          refine(n);
        } else if (--r < 0) {
          break;
        }
        ++k;
      }
      if (value != 0 && k < 64) block.set(zigzagToNatural[k], static_cast<int16_t>(value));
      ++k;
    }
  }
  if (eobRun > 0) {
    for (; k <= se; ++k) {
      const int32_t n = zigzagToNatural[k];
      if (block.isNonZero(n)) refine(n);
    }
    --eobRun;
  }
}

void JpegDecoder::loadMcuRowCoefficients() {
  int32_t colBase[4] = {};
  const bool single = scanCompCount == 1;
  int32_t k = 0;
  for (int32_t mcu = 0; mcu < scanMcusPerRow; ++mcu) {
    int32_t sx = 0, sy = 0;
    for (int32_t b = 0; b < scanBlocksPerMcu; ++b) {
      int32_t c = mcuBlockComp[b];
      int32_t x = colBase[c] + sx, y = coefRowCursor[c] + sy;
      if (outside(acCoefArray[c], x, y) || outside(dcCoefArray[c], x, y)) {
        fail(BlockIndexOutOfRange);
      }
      int16_t* block = coefBlocks[k];
      const int16_t* ac = blockEntry(acCoefArray[c], x, y);
      block[0] = *blockEntry(dcCoefArray[c], x, y);
      for (int i = 1; i < 64; ++i) block[i] = ac[i];
      if (!mmxActive) {
        const int16_t* q = quantTables[compQuantSel[c]];
        int32_t last = 63;
        while (last > 0 && block[zigzagToNatural[last]] == 0) --last;
        for (int32_t i = last; i >= 0; --i) {
          int16_t& coef = block[zigzagToNatural[i]];
          if (coef != 0) coef = static_cast<int16_t>(coef * q[i]);
        }
      }
      nextMcuBlock(single, compHSamp[c], compVSamp[c], sx, sy, colBase[c]);
      ++k;
    }
  }
  for (int32_t i = 0; i < scanCompCount; ++i) {
    int32_t c = scanComps[i];
    coefRowCursor[c] += single ? 1 : compVSamp[c];
  }
}

}  // namespace lumiscene
