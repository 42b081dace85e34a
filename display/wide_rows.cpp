// The AVX2 and AVX-512 frame conversion rows, compiled in target regions so
// that the binary stays runnable on any x86-64.
#include "display/wide_rows.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define LUMISCENE_WIDE_ROWS 1
#include <immintrin.h>
#endif

namespace lumiscene::wide_rows {

namespace {

// The byte shuffle that converts one 32-bit pixel where every channel keeps
// all eight bits in a byte of its own (red and blue swapped, say): byte k of
// `control` names the byte of 0x00RRGGBB that byte k of the result takes, or
// has its top bit set for none. Such layouts then cost a load, a shuffle and a
// store per register, not a dozen shifts. False for every other layout.
bool wholeByteShuffle(const Shifts& s, uint32_t& control) {
  const int32_t right[3] = {s.redRight, s.greenRight, s.blueRight};
  const int32_t left[3] = {s.redLeft, s.greenLeft, s.blueLeft};
  control = 0x80808080u;
  for (int32_t c = 0; c < 3; ++c) {
    if (right[c] != 0 || left[c] % 8 != 0 || left[c] < 0 || left[c] > 24 || (control >> left[c] & 0x80) == 0)
      return false;
    // Red is byte 2 of the source, blue byte 0.
    control = (control & ~(0xFFu << left[c])) | static_cast<uint32_t>(2 - c) << left[c];
  }
  return true;
}

// The shuffle works within 16-byte lanes: the control of pixel i of a lane
// names bytes 4 i further on (a byte with its top bit set stays so).
constexpr uint32_t laneStep = 0x04040404u;

}  // namespace

#if defined(LUMISCENE_WIDE_ROWS)

#pragma GCC push_options
#pragma GCC target("avx2")
namespace avx2 {

namespace {

inline __m256i load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

// pack() of whole registers. Made once per row, so that its counts and masks
// stay in registers across the row's stores.
class Pack {
 public:
  explicit Pack(const Shifts& s) : Pack(ChannelMoves(s)) {}

  __m256i operator()(__m256i p) const {
    return _mm256_or_si256(_mm256_or_si256(move(p, red_), move(p, green_)), move(p, blue_));
  }

 private:
  struct Move {
    __m128i right, left;
    __m256i mask;
  };

  explicit Pack(const ChannelMoves& m)
      : red_(moveOf(m.red)), green_(moveOf(m.green)), blue_(moveOf(m.blue)) {}

  static Move moveOf(const ChannelMove& m) {
    return {_mm_cvtsi32_si128(m.right), _mm_cvtsi32_si128(m.left),
            _mm256_set1_epi32(static_cast<int32_t>(m.mask))};
  }

  static __m256i move(__m256i p, const Move& m) {
    return _mm256_and_si256(_mm256_sll_epi32(_mm256_srl_epi32(p, m.right), m.left), m.mask);
  }

  Move red_, green_, blue_;
};

// The low 16 bits of eight words, in order.
inline void store16(uint8_t* out, __m256i v) {
  const __m256i low = _mm256_and_si256(v, _mm256_set1_epi32(0xFFFF));
  const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(low, low), 0x08);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
}

// The low three bytes of eight words, 24 bytes in order.
inline void store24(uint8_t* out, __m256i v) {
  const __m256i inLane =
      _mm256_shuffle_epi8(v, _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2,
                                              4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
  const __m256i joined = _mm256_permutevar8x32_epi32(inLane, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(joined));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(joined, 1));
}

int32_t rgb565(const Shifts&, const uint32_t* source, uint8_t* out, int32_t count) {
  int32_t x = 0;
  for (; x + 8 <= count; x += 8) {
    const __m256i p = load(source + x);
    const __m256i v =
        _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(p, 8), _mm256_set1_epi32(0xF800)),
                                        _mm256_and_si256(_mm256_srli_epi32(p, 5), _mm256_set1_epi32(0x07E0))),
                        _mm256_and_si256(_mm256_srli_epi32(p, 3), _mm256_set1_epi32(0x001F)));
    store16(out + 2 * x, v);
  }
  return x;
}

int32_t rgb24(const Shifts&, const uint32_t* source, uint8_t* out, int32_t count) {
  int32_t x = 0;
  for (; x + 8 <= count; x += 8) store24(out + 3 * x, load(source + x));
  return x;
}

int32_t packed16(const Shifts& s, const uint32_t* source, uint8_t* out, int32_t count) {
  int32_t x = 0;
  const Pack pack(s);
  for (; x + 8 <= count; x += 8) store16(out + 2 * x, pack(load(source + x)));
  return x;
}

int32_t packed24(const Shifts& s, const uint32_t* source, uint8_t* out, int32_t count) {
  int32_t x = 0;
  const Pack pack(s);
  for (; x + 8 <= count; x += 8) store24(out + 3 * x, pack(load(source + x)));
  return x;
}

int32_t packed32(const Shifts& s, const uint32_t* source, uint8_t* out, int32_t count) {
  int32_t x = 0;
  uint32_t control;
  if (wholeByteShuffle(s, control)) {
    const __m256i order = _mm256_add_epi8(
        _mm256_set1_epi32(static_cast<int32_t>(control)),
        _mm256_setr_epi32(0, laneStep, 2 * laneStep, 3 * laneStep, 0, laneStep, 2 * laneStep, 3 * laneStep));
    for (; x + 8 <= count; x += 8)
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * x),
                          _mm256_shuffle_epi8(load(source + x), order));
    return x;
  }
  const Pack pack(s);
  for (; x + 8 <= count; x += 8) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * x), pack(load(source + x)));
  }
  return x;
}

}  // namespace

constexpr Converters converters{rgb565, rgb24, packed16, packed24, packed32};

}  // namespace avx2
#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vl,avx512vbmi")
// GCC 12's masked shifts read a deliberately undefined register and warn.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
namespace avx512 {

namespace {

inline __m512i load(const uint32_t* p) { return _mm512_loadu_si512(p); }

// pack() of whole registers. Made once per row, so that its counts and masks
// stay in registers across the row's stores.
class Pack {
 public:
  explicit Pack(const Shifts& s) : Pack(ChannelMoves(s)) {}

  __m512i operator()(__m512i p) const {
    return _mm512_or_si512(_mm512_or_si512(move(p, red_), move(p, green_)), move(p, blue_));
  }

 private:
  struct Move {
    __m128i right, left;
    __m512i mask;
  };

  explicit Pack(const ChannelMoves& m)
      : red_(moveOf(m.red)), green_(moveOf(m.green)), blue_(moveOf(m.blue)) {}

  static Move moveOf(const ChannelMove& m) {
    return {_mm_cvtsi32_si128(m.right), _mm_cvtsi32_si128(m.left),
            _mm512_set1_epi32(static_cast<int32_t>(m.mask))};
  }

  static __m512i move(__m512i p, const Move& m) {
    return _mm512_and_si512(_mm512_sll_epi32(_mm512_srl_epi32(p, m.right), m.left), m.mask);
  }

  Move red_, green_, blue_;
};

inline void store16(uint8_t* out, __m512i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm512_cvtepi32_epi16(v));
}

// Byte i of the 48 takes byte 4 (i / 3) + i % 3 of the sixteen words.
inline void store24(uint8_t* out, __m512i v) {
  alignas(64) static constexpr uint8_t order[64] = {
      0,  1,  2,  4,  5,  6,  8,  9,  10, 12, 13, 14, 16, 17, 18, 20, 21, 22, 24, 25, 26, 28,
      29, 30, 32, 33, 34, 36, 37, 38, 40, 41, 42, 44, 45, 46, 48, 49, 50, 52, 53, 54, 56, 57,
      58, 60, 61, 62, 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0};
  const __m512i joined = _mm512_permutexvar_epi8(_mm512_load_si512(order), v);
  _mm512_mask_storeu_epi8(out, 0x0000FFFFFFFFFFFFull, joined);
}

int32_t rgb565(const Shifts&, const uint32_t* source, uint8_t* out, int32_t count) {
  int32_t x = 0;
  for (; x + 16 <= count; x += 16) {
    const __m512i p = load(source + x);
    const __m512i v =
        _mm512_or_si512(_mm512_or_si512(_mm512_and_si512(_mm512_srli_epi32(p, 8), _mm512_set1_epi32(0xF800)),
                                        _mm512_and_si512(_mm512_srli_epi32(p, 5), _mm512_set1_epi32(0x07E0))),
                        _mm512_and_si512(_mm512_srli_epi32(p, 3), _mm512_set1_epi32(0x001F)));
    store16(out + 2 * x, v);
  }
  return x;
}

int32_t rgb24(const Shifts&, const uint32_t* source, uint8_t* out, int32_t count) {
  int32_t x = 0;
  for (; x + 16 <= count; x += 16) store24(out + 3 * x, load(source + x));
  return x;
}

int32_t packed16(const Shifts& s, const uint32_t* source, uint8_t* out, int32_t count) {
  int32_t x = 0;
  const Pack pack(s);
  for (; x + 16 <= count; x += 16) store16(out + 2 * x, pack(load(source + x)));
  return x;
}

int32_t packed24(const Shifts& s, const uint32_t* source, uint8_t* out, int32_t count) {
  int32_t x = 0;
  const Pack pack(s);
  for (; x + 16 <= count; x += 16) store24(out + 3 * x, pack(load(source + x)));
  return x;
}

int32_t packed32(const Shifts& s, const uint32_t* source, uint8_t* out, int32_t count) {
  int32_t x = 0;
  uint32_t control;
  if (wholeByteShuffle(s, control)) {
    const __m512i order = _mm512_add_epi8(
        _mm512_set1_epi32(static_cast<int32_t>(control)),
        _mm512_setr_epi32(0, laneStep, 2 * laneStep, 3 * laneStep, 0, laneStep, 2 * laneStep, 3 * laneStep, 0,
                          laneStep, 2 * laneStep, 3 * laneStep, 0, laneStep, 2 * laneStep, 3 * laneStep));
    for (; x + 16 <= count; x += 16)
      _mm512_storeu_si512(out + 4 * x, _mm512_shuffle_epi8(load(source + x), order));
    return x;
  }
  const Pack pack(s);
  for (; x + 16 <= count; x += 16) _mm512_storeu_si512(out + 4 * x, pack(load(source + x)));
  return x;
}

}  // namespace

constexpr Converters converters{rgb565, rgb24, packed16, packed24, packed32};

}  // namespace avx512
#pragma GCC diagnostic pop
#pragma GCC pop_options

#endif

const Converters* convertersFor(cpu::Form form) {
#if defined(LUMISCENE_WIDE_ROWS)
  if (form == cpu::Form::Avx512) return &avx512::converters;
  if (form == cpu::Form::Avx2) return &avx2::converters;
#else
  (void)form;
#endif
  return nullptr;
}

}  // namespace lumiscene::wide_rows
