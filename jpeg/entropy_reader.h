// Byte fetches and the two bit readers, inline because the Huffman and progressive
// decoders call them for every symbol. The readers copy the register and reserve of
// the record into locals for a run of decoding and store them back afterwards; both
// deliver exactly the same bits from the same input.
#pragma once

#include <bit>
#include <cstdint>

#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_tables.h"

namespace lumiscene {

inline uint32_t JpegDecoder::nextByteFlagged(bool* substitute) {
  *substitute = false;
  if (inAvail == 0) refillInput();
  if (inAvail == 0) {
    // Exhausted data reads as an endless run of EOI markers: FF, D9, FF, D9, ...
    *substitute = true;
    const uint32_t b = eodToggle ? 0xD9u : 0xFFu;
    eodToggle ^= 1;
    return b;
  }
  --inAvail;
  return *inCur++;
}

inline uint32_t JpegDecoder::nextByte() {
  bool substitute = false;
  return nextByteFlagged(&substitute);
}

inline void JpegDecoder::putBack(uint32_t byte) {
  *--inCur = static_cast<uint8_t>(byte);
  ++inAvail;
}

// Entropy-coded data meets markers only here (T.81 B.1.1.5, F.1.2.3): FF 00 is a data
// byte FF; a marker is left unread and the reader sees 1-bits until someone looks for it.
inline uint32_t JpegDecoder::nextEntropyByte() {
  if (inAvail > 0 && *inCur != 0xFF) {
    --inAvail;
    return *inCur++;
  }
  bool substitute;
  uint32_t b = nextByteFlagged(&substitute);
  if (substitute || b != 0xFF) return b;
  uint32_t c = nextByteFlagged(&substitute);
  if (substitute) {
    putBack(0xFF);
    return 0xFF;
  }
  if (c == 0) return 0xFF;
  putBack(c);
  putBack(0xFF);
  return 0xFF;
}

// The 32-bit reader: bits 15..0 are the next 16 input bits, the top `reserve` bits of
// bits 31..16 the ones after them; the register is used as a ring.
template <class Fetch>
inline uint32_t readBits32(uint32_t& reg, int32_t& reserve, int32_t n, Fetch fetch) {
  uint32_t result = (reg >> (16 - n)) & ((1u << n) - 1);
  int32_t r = reserve - n;
  if (r > 0) {
    reg = std::rotl(reg, n);
    reserve = r;
    return result;
  }
  reg = std::rotl(reg, reserve);
  uint32_t b1 = fetch();
  uint32_t b2 = fetch();
  reg = (b1 << 24) | (b2 << 16) | (reg & 0xFFFFu);
  reg = std::rotl(reg, -r);
  reserve = r + 16;
  return result;
}

// Six bytes under the 64-bit reader's window, taken at once when none is 0xFF.
inline uint64_t JpegDecoder::fetch48() {
  if (inAvail >= 12) {
    const uint8_t* p = inCur;
    uint64_t v = (uint64_t{p[0]} << 40) | (uint64_t{p[1]} << 32) | (uint64_t{p[2]} << 24) |
                 (uint64_t{p[3]} << 16) | (uint64_t{p[4]} << 8) | uint64_t{p[5]};
    uint64_t inverted = ~v & 0xFFFFFFFFFFFFull;
    bool hasFf = ((inverted - 0x010101010101ull) & ~inverted & 0x808080808080ull) != 0;
    if (!hasFf) {
      inCur += 6;
      inAvail -= 6;
      return v;
    }
  }
  uint64_t v = 0;
  for (int i = 0; i < 6; ++i) v = (v << 8) | nextEntropyByte();
  return v;
}

struct EntropyReader32 {
  JpegDecoder& d;
  uint32_t reg;
  int32_t reserve;

  explicit EntropyReader32(JpegDecoder& decoder)
      : d(decoder), reg(static_cast<uint32_t>(decoder.bitRegister)), reserve(decoder.bitReserve) {}
  void store() {
    d.bitRegister = reg;
    d.bitReserve = reserve;
  }
  void load() {
    reg = static_cast<uint32_t>(d.bitRegister);
    reserve = d.bitReserve;
  }
  uint32_t bits(int32_t n) {
    return readBits32(reg, reserve, n, [this] { return d.nextEntropyByte(); });
  }
  // Codes of up to 8 bits take one look-up; longer ones walk the tree bit by bit.
  int32_t decodeSymbol(const DecodeTable& t) {
    int32_t e = t.lookup[(reg >> 8) & 0xFF];
    if (e >= 0) {
      bits(t.codeLength[e]);
      return e;
    }
    bits(8);
    do {
      e = t.tree[-e - static_cast<int32_t>(bits(1))];
    } while (e < 0);
    return e;
  }
  // A symbol and the `size(symbol)` bits that follow it. When both lie inside the
  // window and reserve, the two reads are two rotations with no fetch in between.
  template <class Size>
  int32_t decodeWithExtra(const DecodeTable& t, const uint16_t* fast, uint32_t& extra, Size size) {
    uint32_t f = fast[(reg >> 8) & 0xFF];
    if (f != JpegDecoder::kLongCode) {
      auto n = static_cast<int32_t>(f >> 8);
      auto e = static_cast<int32_t>(f & 0xFF);
      int32_t s = size(e);
      if (n + s < reserve) {
        reg = std::rotl(reg, n);
        extra = (reg >> (16 - s)) & ((1u << s) - 1);
        reg = std::rotl(reg, s);
        reserve -= n + s;
        return e;
      }
    }
    int32_t e = decodeSymbol(t);
    int32_t s = size(e);
    extra = s <= 16 ? bits(s) : 0;
    return e;
  }
};

// The 64-bit reader: the next 16 bits in bits 63..48, `reserve` further bits below.
struct EntropyReader64 {
  JpegDecoder& d;
  uint64_t reg;
  int32_t reserve;

  explicit EntropyReader64(JpegDecoder& decoder)
      : d(decoder), reg(decoder.bitRegister), reserve(decoder.bitReserve) {}
  void store() {
    d.bitRegister = reg;
    d.bitReserve = reserve;
  }
  void load() {
    reg = d.bitRegister;
    reserve = d.bitReserve;
  }
  uint32_t bits(int32_t n) {
    uint32_t result = n == 0 ? 0u : static_cast<uint32_t>(reg >> (64 - n));
    int32_t r = reserve - n;
    if (r > 0) {
      reg <<= n;
      reserve = r;
      return result;
    }
    reg <<= reserve;
    reg |= d.fetch48();
    reg <<= -r;
    reserve = r + 48;
    return result;
  }
  int32_t decodeSymbol(const DecodeTable& t) {
    uint32_t w = static_cast<uint32_t>(reg >> 48);
    int32_t e = t.lookup[w >> 8];
    int32_t n;
    if (e >= 0) {
      n = t.codeLength[e];
    } else {
      // Decode tables admit no code longer than 16 bits, so the walk ends by bit 0.
      n = 8;
      do {
        e = t.tree[-e - static_cast<int32_t>((w >> (15 - n)) & 1)];
        ++n;
      } while (e < 0);
    }
    bits(n);
    return e;
  }
  // A symbol and the `size(symbol)` bits that follow it. When both lie inside the
  // window and reserve, they are taken with one shift: the same bits, and no refill
  // would have happened in between.
  template <class Size>
  int32_t decodeWithExtra(const DecodeTable& t, const uint16_t* fast, uint32_t& extra, Size size) {
    uint32_t f = fast[reg >> 56];
    if (f != JpegDecoder::kLongCode) {
      auto n = static_cast<int32_t>(f >> 8);
      auto e = static_cast<int32_t>(f & 0xFF);
      int32_t s = size(e);
      if (n + s < reserve) {
        extra = s == 0 ? 0u : static_cast<uint32_t>((reg << n) >> (64 - s));
        reg <<= n + s;
        reserve -= n + s;
        return e;
      }
    }
    int32_t e = decodeSymbol(t);
    int32_t s = size(e);
    extra = s <= 16 ? bits(s) : 0;
    return e;
  }
};

}  // namespace lumiscene
