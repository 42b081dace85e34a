// The two inverse DCTs and the MCU-row driver that picks one. The integer transform
// is a separable Loeffler-Ligtenberg-Moschytz transform in 32-bit arithmetic with
// 13-bit constants (rows first, then columns). The four-lane transform is an
// Arai-Agui-Nakajima transform in wrapping 16-bit lanes that also dequantises; its
// portable form here defines the lane arithmetic, idct_sse2.cpp repeats it with SSE2
// and must give identical bytes.
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_tables.h"

namespace lumiscene {

const int16_t aanScale[64] = {16384, 22725, 21407, 19266, 16384, 12873, 8867,  4520,  22725, 31521, 29692,
                              26722, 22725, 17855, 12299, 6270,  21407, 29692, 27969, 25172, 21407, 16819,
                              11585, 5906,  19266, 26722, 25172, 22654, 19266, 15137, 10426, 5315,  16384,
                              22725, 21407, 19266, 16384, 12873, 8867,  4520,  12873, 17855, 16819, 15137,
                              12873, 10114, 6967,  3552,  8867,  12299, 11585, 10426, 8867,  6967,  4799,
                              2446,  4520,  6270,  5906,  5315,  4520,  3552,  2446,  1247};

namespace {

// Wrapping 32-bit arithmetic: extreme coefficients overflow the intermediate sums,
// and the result must be the two's-complement wrap, not undefined behaviour.
using u32 = uint32_t;

struct Outputs {
  u32 y[8];
};

inline Outputs llmStep(u32 x0, u32 x1, u32 x2, u32 x3, u32 x4, u32 x5, u32 x6, u32 x7) {
  u32 z1 = (x2 + x6) * 4433u;
  u32 t2 = z1 - x6 * 15137u;
  u32 t3 = z1 + x2 * 6270u;
  u32 t0 = (x0 + x4) << 13;
  u32 t1 = (x0 - x4) << 13;
  u32 e0 = t0 + t3, e3 = t0 - t3, e1 = t1 + t2, e2 = t1 - t2;

  u32 a = x7, b = x5, c = x3, d = x1;
  u32 za = a + d, zb = b + c, zc = a + c, zd = b + d;
  u32 z5 = (zc + zd) * 9633u;
  a *= 2446u;
  b *= 16819u;
  c *= 25172u;
  d *= 12299u;
  za *= static_cast<u32>(-7373);
  zb *= static_cast<u32>(-20995);
  zc = zc * static_cast<u32>(-16069) + z5;
  zd = zd * static_cast<u32>(-3196) + z5;
  u32 o0 = a + za + zc, o1 = b + zb + zd, o2 = c + zb + zc, o3 = d + za + zd;

  return Outputs{{e0 + o3, e1 + o2, e2 + o1, e3 + o0, e3 - o0, e2 - o1, e1 - o2, e0 - o3}};
}

inline u32 w(int16_t v) { return static_cast<u32>(static_cast<int32_t>(v)); }
inline int32_t s(u32 v) { return static_cast<int32_t>(v); }

inline uint8_t clampSample(int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

void idctInteger(int16_t* work, uint8_t* out) {
  for (int row = 0; row < 8; ++row) {
    int16_t* x = work + 8 * row;
    if ((x[1] | x[2] | x[3] | x[4] | x[5] | x[6] | x[7]) == 0) {
      auto dc = static_cast<int16_t>(static_cast<uint16_t>(x[0]) << 2);
      for (int i = 0; i < 8; ++i) x[i] = dc;
      continue;
    }
    Outputs o = llmStep(w(x[0]), w(x[1]), w(x[2]), w(x[3]), w(x[4]), w(x[5]), w(x[6]), w(x[7]));
    for (int i = 0; i < 8; ++i) x[i] = static_cast<int16_t>(s(o.y[i] + 1024u) >> 11);
  }
  for (int col = 0; col < 8; ++col) {
    const int16_t* x = work + col;
    if ((x[8] | x[16] | x[24] | x[32] | x[40] | x[48] | x[56]) == 0) {
      uint8_t v = clampSample(((x[0] + 16) >> 5) + 128);
      for (int n = 0; n < 8; ++n) out[8 * n + col] = v;
      continue;
    }
    Outputs o = llmStep(w(x[0]), w(x[8]), w(x[16]), w(x[24]), w(x[32]), w(x[40]), w(x[48]), w(x[56]));
    for (int n = 0; n < 8; ++n) out[8 * n + col] = clampSample((s(o.y[n] + 131072u) >> 18) + 128);
  }
}

namespace {

// One 16-bit lane of the four-lane transform: sums wrap, a product by a constant c
// (value c / 16384) is the high half of (lane << 2) * c.
inline int16_t add(int16_t a, int16_t b) { return static_cast<int16_t>(a + b); }
inline int16_t sub(int16_t a, int16_t b) { return static_cast<int16_t>(a - b); }
inline int16_t mul(int16_t k, int16_t c) {
  auto k4 = static_cast<int16_t>(static_cast<uint16_t>(k) << 2);
  return static_cast<int16_t>((k4 * c) >> 16);
}

void aanStep(const int16_t* x, int16_t* y) {
  int16_t tmp10 = add(x[0], x[4]);
  int16_t tmp11 = sub(x[0], x[4]);
  int16_t tmp13 = add(x[2], x[6]);
  int16_t tmp12 = sub(mul(sub(x[2], x[6]), 23170), tmp13);
  int16_t tmp0 = add(tmp10, tmp13), tmp3 = sub(tmp10, tmp13);
  int16_t tmp1 = add(tmp11, tmp12), tmp2 = sub(tmp11, tmp12);

  int16_t z13 = add(x[5], x[3]), z10 = sub(x[5], x[3]);
  int16_t z11 = add(x[1], x[7]), z12 = sub(x[1], x[7]);
  int16_t tmp7 = add(z11, z13);
  int16_t oddTmp11 = mul(sub(z11, z13), 23170);
  int16_t oddTmp10 = add(mul(z10, -30353), mul(z12, -12540));
  int16_t oddTmp12 = add(mul(z10, -12540), mul(z12, 30273));
  int16_t tmp6 = sub(oddTmp12, tmp7);
  int16_t tmp5 = sub(oddTmp11, tmp6);
  int16_t tmp4 = add(oddTmp10, tmp5);

  y[0] = add(tmp0, tmp7);
  y[7] = sub(tmp0, tmp7);
  y[1] = add(tmp1, tmp6);
  y[6] = sub(tmp1, tmp6);
  y[2] = add(tmp2, tmp5);
  y[5] = sub(tmp2, tmp5);
  y[4] = add(tmp3, tmp4);
  y[3] = sub(tmp3, tmp4);
}

}  // namespace

void idctMmxPortable(const int16_t* coefficients, const int16_t* multipliers, uint8_t* out, int32_t stride) {
  int16_t workspace[64];
  int16_t x[8], y[8];
  for (int v = 0; v < 8; ++v) {
    for (int u = 0; u < 8; ++u) {
      x[u] = static_cast<int16_t>(coefficients[8 * u + v] * multipliers[8 * u + v]);
    }
    aanStep(x, y);
    for (int n = 0; n < 8; ++n) workspace[8 * n + v] = y[n];
  }
  for (int n = 0; n < 8; ++n) {
    aanStep(workspace + 8 * n, y);
    for (int k = 0; k < 8; ++k) {
      // y >> 5 lies within +-1024, so adding 128 never meets the 16-bit saturation.
      out[n * stride + k] = clampSample((y[k] >> 5) + 128);
    }
  }
}

void JpegDecoder::inverseTransformMcuRow() {
  if (mmxActive) {
    int32_t k = 0;
    for (int32_t mcu = 0; mcu < scanMcusPerRow; ++mcu) {
      for (int32_t b = 0; b < scanBlocksPerMcu; ++b, ++k) {
        int32_t c = mcuBlockComp[b];
        idctMmx(coefBlocks[k], quantTables[compQuantSel[c]], sampleBuffer + 64 * k, 8);
      }
    }
    return;
  }
  for (int32_t k = 0; k < blocksPerMcuRow; ++k) {
    for (int i = 0; i < 64; ++i) idctWork[i] = coefBlocks[k][i];
    idctInteger(idctWork, sampleBuffer + 64 * k);
  }
}

}  // namespace lumiscene
