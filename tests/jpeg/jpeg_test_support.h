// Shared helpers of the decoder's unit tests: a probe that reaches the decoder's
// stages (catching the failure jump and returning its code), a byte source with
// scripted behaviour, a writer for crafted JPEG streams with a tiny Huffman encoder,
// and fixture loading.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "jpeg/decoded_picture.h"
#include "jpeg/entropy_reader.h"
#include "jpeg/jpeg_decoder.h"

namespace lumiscene {

using Bytes = std::vector<uint8_t>;

// Runs one stage of a decoder and reports the failure code it raised, or 0.
struct JpegDecoderProbe {
  static int32_t run(JpegDecoder&, const std::function<void()>& stage) {
    try {
      stage();
    } catch (const JpegDecoder::Failure& failure) {
      return failure.code;
    }
    return 0;
  }
  // Record reset and first fill as open does, without reading any marker.
  static void attach(JpegDecoder& d, InputSource* s, bool mmx) { d.reset(s, mmx); }
  static void* allocate(JpegDecoder& d, int32_t n) { return d.allocate(n); }
  static uint32_t nextByte(JpegDecoder& d) { return d.nextByte(); }
  static uint32_t nextEntropyByte(JpegDecoder& d) { return d.nextEntropyByte(); }
  static uint32_t readHeaderBits(JpegDecoder& d, int32_t n) { return d.readHeaderBits(n); }
  static uint32_t readEntropyBits(JpegDecoder& d, int32_t n) { return d.readEntropyBits(n); }
  static uint32_t readEntropyBits64(JpegDecoder& d, int32_t n) { return d.readEntropyBits64(n); }
  static void primeEntropyReader(JpegDecoder& d) { d.primeEntropyReader(); }
  static void loadEntropyReader(JpegDecoder& d) { d.loadEntropyReader(); }
  static int32_t readMarkers(JpegDecoder& d) { return d.readMarkers(); }
  static void readScanHeader(JpegDecoder& d) { d.readScanHeader(); }
  static void prepareScanTables(JpegDecoder& d) { d.prepareScanTables(); }
  static void buildDecodeTable(JpegDecoder& d, int32_t slot) { d.buildDecodeTable(slot); }
  static void decodeMcuRow(JpegDecoder& d) { d.decodeMcuRow(); }
  static void decodeMcuRow64(JpegDecoder& d) { d.decodeMcuRow64(); }
  static void inverseTransformMcuRow(JpegDecoder& d) { d.inverseTransformMcuRow(); }
  static void loadMcuRowCoefficients(JpegDecoder& d) { d.loadMcuRowCoefficients(); }
};

// Serves a byte vector like MemorySource, in pieces of at most `chunk` bytes, and
// counts the calls the decoder makes.
class ScriptedSource : public InputSource {
 public:
  explicit ScriptedSource(Bytes bytes, int32_t chunk = 1 << 30) : data(std::move(bytes)), chunk(chunk) {}
  int32_t read(uint8_t* dest, int32_t maxCount, bool* atEnd) override {
    ++reads;
    if (failReads) return -1;
    int32_t n = std::min<int32_t>({maxCount, chunk, static_cast<int32_t>(data.size()) - pos});
    if (n > 0) std::memcpy(dest, data.data() + pos, static_cast<size_t>(n));
    pos += n;
    if (pos == static_cast<int32_t>(data.size())) *atEnd = true;
    return n;
  }
  void onAttach() override { ++attaches; }
  void onDetach() override { ++detaches; }

  Bytes data;
  int32_t chunk;
  int32_t pos = 0;
  int32_t reads = 0, attaches = 0, detaches = 0;
  bool failReads = false;
};

// Builds JPEG streams segment by segment; the entropy writer uses codes given as
// (code, length) pairs and stuffs a zero after every 0xFF it writes.
class JpegWriter {
 public:
  Bytes bytes;

  JpegWriter& raw(std::initializer_list<int> list) {
    for (int b : list) bytes.push_back(static_cast<uint8_t>(b));
    return *this;
  }
  JpegWriter& marker(int code) { return raw({0xFF, code}); }
  JpegWriter& word(int v) { return raw({(v >> 8) & 0xFF, v & 0xFF}); }
  JpegWriter& soi() { return marker(0xD8); }
  JpegWriter& eoi() { return marker(0xD9); }
  // DQT with 8-bit values, all equal to `value`.
  JpegWriter& dqt(int id, int value = 1) {
    marker(0xDB).word(67).raw({id});
    for (int i = 0; i < 64; ++i) raw({value});
    return *this;
  }
  // Frame header; comps are (id, h, v, quant) quadruples.
  JpegWriter& sof(int code, int width, int height, std::vector<std::array<int, 4>> comps) {
    marker(code).word(8 + 3 * static_cast<int>(comps.size())).raw({8}).word(height).word(width);
    raw({static_cast<int>(comps.size())});
    for (auto& c : comps) raw({c[0], (c[1] << 4) | c[2], c[3]});
    return *this;
  }
  // DHT of one table where symbol k gets the 8-bit code k (counts[8] = symbols).
  JpegWriter& dht8(int classAndId, const std::vector<int>& symbols) {
    marker(0xC4).word(2 + 17 + static_cast<int>(symbols.size())).raw({classAndId});
    for (int i = 1; i <= 16; ++i) raw({i == 8 ? static_cast<int>(symbols.size()) : 0});
    for (int s : symbols) raw({s});
    return *this;
  }
  // Scan header; comps are (id, tables) pairs.
  JpegWriter& sos(std::vector<std::array<int, 2>> comps, int ss = 0, int se = 63, int ah = 0, int al = 0) {
    marker(0xDA).word(6 + 2 * static_cast<int>(comps.size())).raw({static_cast<int>(comps.size())});
    for (auto& c : comps) raw({c[0], c[1]});
    return raw({ss, se, (ah << 4) | al});
  }
  // Entropy-coded bits.
  JpegWriter& bits(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      acc = (acc << 1) | ((value >> i) & 1);
      if (++accBits == 8) emit();
    }
    return *this;
  }
  // Pads the last byte with 1-bits (T.81 F.1.2.3).
  JpegWriter& flush() {
    while (accBits != 0) bits(1, 1);
    return *this;
  }

 private:
  void emit() {
    bytes.push_back(static_cast<uint8_t>(acc));
    if ((acc & 0xFF) == 0xFF) bytes.push_back(0);
    acc = 0;
    accBits = 0;
  }
  uint32_t acc = 0;
  int accBits = 0;
};

// Symbol lists of the crafted tables: symbol list index k is sent as the 8-bit code k.
inline const std::vector<int> kDcSymbols = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 17};
inline const std::vector<int> kAcSymbols = {0x00, 0x01, 0x02, 0x0A, 0x11, 0x1F, 0x2F, 0xF0, 0x31, 0xE1};

inline int codeOf(const std::vector<int>& symbols, int symbol) {
  return static_cast<int>(std::find(symbols.begin(), symbols.end(), symbol) - symbols.begin());
}

// A greyscale baseline picture with the crafted tables; `scan` writes the entropy data.
inline Bytes craftedGrey(int width, int height, const std::function<void(JpegWriter&)>& scan,
                         int restartInterval = 0) {
  JpegWriter w;
  w.soi().dqt(0, 1).sof(0xC0, width, height, {{1, 1, 1, 0}});
  w.dht8(0x00, kDcSymbols).dht8(0x10, kAcSymbols);
  if (restartInterval) w.marker(0xDD).word(4).word(restartInterval);
  w.sos({{1, 0x00}});
  scan(w);
  w.flush().eoi();
  return w.bytes;
}

// Writes one block: DC category and bits, then AC (run/size, bits) pairs, then EOB.
inline void writeBlock(JpegWriter& w, int dcCategory, uint32_t dcBits,
                       const std::vector<std::array<int, 2>>& acs = {}, bool eob = true) {
  w.bits(static_cast<uint32_t>(codeOf(kDcSymbols, dcCategory)), 8).bits(dcBits, dcCategory);
  for (auto& ac : acs) {
    w.bits(static_cast<uint32_t>(codeOf(kAcSymbols, ac[0])), 8)
        .bits(static_cast<uint32_t>(ac[1]), ac[0] & 15);
  }
  if (eob) w.bits(static_cast<uint32_t>(codeOf(kAcSymbols, 0x00)), 8);
}

inline Bytes readFixture(const std::string& name) {
  std::ifstream in(std::string(LUMISCENE_TEST_DATA) + "/jpeg/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Opens, starts and reads every row; returns the first failure code (errorCode), 0.
struct DecodeOutcome {
  int32_t errorCode = 0;
  int32_t startResult = 0;
  int32_t lastRowResult = 0;
};

inline DecodeOutcome decodeAll(const Bytes& bytes, bool mmx) {
  MemorySource source(bytes.data(), static_cast<int32_t>(bytes.size()));
  auto decoder = std::make_unique<JpegDecoder>();
  decoder->open(&source, mmx);
  DecodeOutcome out;
  if (decoder->errorCode == 0) {
    out.startResult = decoder->startDecompress();
    uint8_t* row;
    int32_t count;
    while (decoder->errorCode == 0 && (out.lastRowResult = decoder->readRow(&row, &count)) == 0) {
    }
  }
  out.errorCode = decoder->errorCode;
  return out;
}

}  // namespace lumiscene
