// Row converters of the four colour layouts: YCbCr samples of one MCU row (blocks
// as the inverse transform left them) become rows of R, G, B, 0 pixels, chroma
// replicated over the luma samples it covers. The portable form works through the
// decoder's four tables; the SSE2 form computes the same integers with 16-bit
// multiply-adds and gives identical bytes. Internal to the decoder.
#pragma once

#include <cstdint>

namespace lumiscene {

struct ColourTables {
  const int32_t* crToR;
  const int32_t* cbToB;
  const int32_t* crToG;
  const int32_t* cbToG;
};

// r is the row within the MCU row; the two-row layouts write rows r and r + 1.
void convertH1V1(const ColourTables& t, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* dst);
void convertH2V1(const ColourTables& t, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* dst);
void convertH1V2(const ColourTables& t, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* upper,
                 uint8_t* lower);
void convertH2V2(const ColourTables& t, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* upper,
                 uint8_t* lower);

#if defined(__SSE2__)
// The same converters computing the table values with multiply-adds (the tables are
// not read).
namespace sse2 {
void convertH1V1(const ColourTables&, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* dst);
void convertH2V1(const ColourTables&, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* dst);
void convertH1V2(const ColourTables&, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* upper,
                 uint8_t* lower);
void convertH2V2(const ColourTables&, const uint8_t* samples, int32_t mcus, int32_t r, uint8_t* upper,
                 uint8_t* lower);
}  // namespace sse2
#endif

}  // namespace lumiscene
