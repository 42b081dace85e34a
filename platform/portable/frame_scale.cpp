// The letterboxed scaler. The filter is bilinear with 8-bit weights: each
// channel becomes (a (256 - w) + b w) / 256, rounded down. Each frame row is
// stretched across once and kept while the output rows that blend it are
// made. The rows come in a plain form and an SSE2 form (four pixels a step,
// the same words); full-screen on a desktop without a GPU spends most of its
// time here.
#include "platform/portable/frame_scale.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/portable/lasting.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace portable {

namespace {

// a towards b by weight / 256 (weight 0..256).
inline uint32_t blend(uint32_t a, uint32_t b, uint32_t weight) {
  const uint32_t keep = 256 - weight;
  const uint32_t redBlue = (((a & 0xFF00FF) * keep + (b & 0xFF00FF) * weight) >> 8) & 0xFF00FF;
  const uint32_t green = (((a & 0x00FF00) * keep + (b & 0x00FF00) * weight) >> 8) & 0x00FF00;
  return redBlue | green;
}

// For each output position, the source pixel left of (above) its centre and
// the weight of the next one; `paired` holds 256 - weight in its low and
// weight in its high 16 bits.
struct Taps {
  std::vector<int32_t> first;
  std::vector<uint32_t> weight;
  std::vector<uint32_t> paired;
};

Taps taps(int32_t sourceSize, int32_t outputSize) {
  Taps result;
  result.first.resize(static_cast<size_t>(outputSize));
  result.weight.resize(static_cast<size_t>(outputSize));
  result.paired.resize(static_cast<size_t>(outputSize));
  // Centres in 16.16 fixed point: (i + 0.5) * source / output - 0.5.
  const int64_t step = (int64_t{sourceSize} << 16) / outputSize;
  for (int32_t i = 0; i < outputSize; ++i) {
    const int64_t centre =
        std::clamp<int64_t>(step / 2 + i * step - 0x8000, 0, int64_t{sourceSize - 1} << 16);
    result.first[static_cast<size_t>(i)] = static_cast<int32_t>(centre >> 16);
    result.weight[static_cast<size_t>(i)] = static_cast<uint32_t>((centre >> 8) & 0xFF);
    result.paired[static_cast<size_t>(i)] =
        (256 - result.weight[static_cast<size_t>(i)]) | result.weight[static_cast<size_t>(i)] << 16;
  }
  return result;
}

// Output pixels from `from` on: the row across.
void stretchRowPlain(const uint32_t* source, int32_t sourceWidth, const Taps& across, uint32_t* out,
                     size_t from = 0) {
  const size_t width = across.first.size();
  for (size_t i = from; i < width; ++i) {
    const int32_t left = across.first[i];
    out[i] = blend(source[left], source[std::min(left + 1, sourceWidth - 1)], across.weight[i]);
  }
}

// Two stretched rows blended down.
void blendRowsPlain(const uint32_t* upper, const uint32_t* lower, uint32_t weight, uint32_t* out,
                    int32_t width) {
  for (int32_t column = 0; column < width; ++column)
    out[column] = blend(upper[column], lower[column], weight);
}

#if defined(__SSE2__)
const __m128i colourBytes = _mm_set1_epi32(0xFFFFFF);

// One output pixel's channel sums (blue, green, red, spare) from the 16-bit
// pairs a, b of each channel and its weights (256 - w, w), shifted down.
inline __m128i stretchedSums(__m128i pairs, __m128i weights) {
  return _mm_srli_epi32(_mm_madd_epi16(pairs, weights), 8);
}

void stretchRowSse2(const uint32_t* source, int32_t sourceWidth, const Taps& across, uint32_t* out) {
  const size_t width = across.first.size();
  const __m128i zero = _mm_setzero_si128();
  // Taps rise along the row: those whose right neighbour is the last pixel
  // itself come last and go the plain way, so no read passes the row's end.
  size_t safe = width;
  while (safe > 0 && across.first[safe - 1] + 1 >= sourceWidth) --safe;
  size_t i = 0;
  for (; i + 4 <= safe; i += 4) {
    // Each output's two neighbours, their bytes interleaved a0 b0 a1 b1 ...
    __m128i pairs[4];
    for (int32_t k = 0; k < 4; ++k) {
      const __m128i two = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source + across.first[i + k]));
      pairs[k] = _mm_unpacklo_epi8(two, _mm_srli_si128(two, 4));
    }
    const __m128i weights = _mm_loadu_si128(reinterpret_cast<const __m128i*>(across.paired.data() + i));
    const __m128i first = _mm_unpacklo_epi64(pairs[0], pairs[1]);
    const __m128i second = _mm_unpacklo_epi64(pairs[2], pairs[3]);
    const __m128i s0 = stretchedSums(_mm_unpacklo_epi8(first, zero), _mm_shuffle_epi32(weights, 0x00));
    const __m128i s1 = stretchedSums(_mm_unpackhi_epi8(first, zero), _mm_shuffle_epi32(weights, 0x55));
    const __m128i s2 = stretchedSums(_mm_unpacklo_epi8(second, zero), _mm_shuffle_epi32(weights, 0xAA));
    const __m128i s3 = stretchedSums(_mm_unpackhi_epi8(second, zero), _mm_shuffle_epi32(weights, 0xFF));
    const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(s0, s1), _mm_packs_epi32(s2, s3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_and_si128(packed, colourBytes));
  }
  stretchRowPlain(source, sourceWidth, across, out, i);
}

void blendRowsSse2(const uint32_t* upper, const uint32_t* lower, uint32_t weight, uint32_t* out,
                   int32_t width) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i keep = _mm_set1_epi16(static_cast<int16_t>(256 - weight));
  const __m128i take = _mm_set1_epi16(static_cast<int16_t>(weight));
  // Per channel a (256 - w) + b w stays below 65,536: no 16-bit lane overflows.
  const auto half = [&](__m128i a, __m128i b) {
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(a, keep), _mm_mullo_epi16(b, take)), 8);
  };
  int32_t column = 0;
  for (; column + 4 <= width; column += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + column));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + column));
    const __m128i low = half(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
    const __m128i high = half(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + column),
                     _mm_and_si128(_mm_packus_epi16(low, high), colourBytes));
  }
  blendRowsPlain(upper + column, lower + column, weight, out + column, width - column);
}
#endif

// The filter's rows in one form.
struct FilterRows {
  void (*stretch)(const uint32_t* source, int32_t sourceWidth, const Taps& across, uint32_t* out);
  void (*blend)(const uint32_t* upper, const uint32_t* lower, uint32_t weight, uint32_t* out, int32_t width);
};

const FilterRows plainRows{[](const uint32_t* source, int32_t sourceWidth, const Taps& across,
                              uint32_t* out) { stretchRowPlain(source, sourceWidth, across, out); },
                           blendRowsPlain};
#if defined(__SSE2__)
const FilterRows fastRows{stretchRowSse2, blendRowsSse2};
#else
const FilterRows fastRows = plainRows;
#endif

void scaleWhole(const uint32_t* frame, const Letterbox& box, uint32_t* target, int32_t pitch) {
  for (int32_t row = 0; row < box.frameHeight; ++row) {
    const uint32_t* source = frame + static_cast<std::ptrdiff_t>(row) * box.frameWidth;
    uint32_t* first = target + static_cast<std::ptrdiff_t>(box.y + row * box.factor) * pitch + box.x;
    for (int32_t column = 0; column < box.frameWidth; ++column)
      std::fill_n(first + static_cast<std::ptrdiff_t>(column) * box.factor, box.factor, source[column]);
    for (int32_t repeat = 1; repeat < box.factor; ++repeat)
      std::copy_n(first, box.width, first + static_cast<std::ptrdiff_t>(repeat) * pitch);
  }
}

void scaleFiltered(const uint32_t* frame, const Letterbox& box, uint32_t* target, int32_t pitch,
                   const FilterRows& rows) {
  // Kept from frame to frame; lasting, since a present may still come from a global destructor.
  static Taps& across = lasting<Taps>();
  static Taps& down = lasting<Taps>();
  static int32_t tapsFor[4] = {};
  if (tapsFor[0] != box.frameWidth || tapsFor[1] != box.width || tapsFor[2] != box.frameHeight ||
      tapsFor[3] != box.height) {
    across = taps(box.frameWidth, box.width);
    down = taps(box.frameHeight, box.height);
    tapsFor[0] = box.frameWidth;
    tapsFor[1] = box.width;
    tapsFor[2] = box.frameHeight;
    tapsFor[3] = box.height;
  }
  static std::vector<uint32_t>& upper = lasting<std::vector<uint32_t>>();
  static std::vector<uint32_t>& lower = lasting<std::vector<uint32_t>>();
  upper.resize(static_cast<size_t>(box.width));
  lower.resize(static_cast<size_t>(box.width));
  int32_t upperRow = -1, lowerRow = -1;
  for (int32_t row = 0; row < box.height; ++row) {
    const int32_t top = down.first[static_cast<size_t>(row)];
    const int32_t bottom = std::min(top + 1, box.frameHeight - 1);
    if (upperRow != top) {
      if (lowerRow == top) {
        std::swap(upper, lower);
        std::swap(upperRow, lowerRow);
      } else {
        rows.stretch(frame + static_cast<std::ptrdiff_t>(top) * box.frameWidth, box.frameWidth, across,
                     upper.data());
        upperRow = top;
      }
    }
    if (lowerRow != bottom) {
      rows.stretch(frame + static_cast<std::ptrdiff_t>(bottom) * box.frameWidth, box.frameWidth, across,
                   lower.data());
      lowerRow = bottom;
    }
    rows.blend(upper.data(), lower.data(), down.weight[static_cast<size_t>(row)],
               target + static_cast<std::ptrdiff_t>(box.y + row) * pitch + box.x, box.width);
  }
}

void scaleWith(const FilterRows& rows, const uint32_t* frame, const Letterbox& asked, uint32_t* target,
               int32_t targetWidth, int32_t targetHeight, int32_t targetPitch) {
  // A window manager may refuse the size a box was made for; never write past the target.
  const bool fits = asked.x >= 0 && asked.y >= 0 && asked.x + asked.width <= targetWidth &&
                    asked.y + asked.height <= targetHeight;
  const Letterbox box =
      fits ? asked : fitFrame(targetWidth, targetHeight, asked.frameWidth, asked.frameHeight);
  // Bars: the rows above and below, and the strips left and right of the frame.
  for (int32_t row = 0; row < targetHeight; ++row) {
    uint32_t* line = target + static_cast<std::ptrdiff_t>(row) * targetPitch;
    if (row < box.y || row >= box.y + box.height) {
      std::fill_n(line, targetWidth, 0u);
    } else {
      std::fill_n(line, box.x, 0u);
      std::fill_n(line + box.x + box.width, targetWidth - box.x - box.width, 0u);
    }
  }
  if (box.factor == 1) {
    for (int32_t row = 0; row < box.height; ++row)
      std::copy_n(frame + static_cast<std::ptrdiff_t>(row) * box.frameWidth, box.width,
                  target + static_cast<std::ptrdiff_t>(box.y + row) * targetPitch + box.x);
  } else if (box.factor > 1) {
    scaleWhole(frame, box, target, targetPitch);
  } else {
    scaleFiltered(frame, box, target, targetPitch, rows);
  }
}

}  // namespace

void scaleFrame(const uint32_t* frame, const Letterbox& box, uint32_t* target, int32_t targetWidth,
                int32_t targetHeight, int32_t targetPitch) {
  scaleWith(fastRows, frame, box, target, targetWidth, targetHeight, targetPitch);
}

void scaleFramePlain(const uint32_t* frame, const Letterbox& box, uint32_t* target, int32_t targetWidth,
                     int32_t targetHeight, int32_t targetPitch) {
  scaleWith(plainRows, frame, box, target, targetWidth, targetHeight, targetPitch);
}

}  // namespace portable
