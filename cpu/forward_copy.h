// A forward copy of a row, a few kilobytes, between blocks that do not overlap.
//
// The C library's copy of that size runs at half speed or worse when the
// target lies at the source's place within a 4 KiB page, or just after it, and
// buffers of one size (a frame and the surface it goes to, a back buffer and
// its primary) are allocated exactly so. A plain loop of 16-byte loads and
// stores runs at one copy's speed wherever the blocks lie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumiscene::cpu {

inline void copyForward(uint8_t* target, const uint8_t* source, size_t bytes) {
  size_t done = 0;
#if defined(__SSE2__)
  const auto load = [&](size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + at)); };
  const auto store = [&](size_t at, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + at), v);
  };
  for (; done + 64 <= bytes; done += 64) {
    const __m128i a = load(done), b = load(done + 16), c = load(done + 32), d = load(done + 48);
    store(done, a);
    store(done + 16, b);
    store(done + 32, c);
    store(done + 48, d);
  }
  for (; done + 16 <= bytes; done += 16) store(done, load(done));
#endif
  if (bytes > done) std::memcpy(target + done, source + done, bytes - done);
}

}  // namespace lumiscene::cpu
