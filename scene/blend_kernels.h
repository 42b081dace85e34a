// The inset's cross-fade over a rectangle, in each instruction-set form.
//
// Each pixel takes six byte lookups (ColourBlend's tables, 1.5 KB in all), so
// the portable form is table reads; the AVX-512 form looks up 64 bytes at a
// time with byte permutations over the tables held in registers. Both give
// the same bytes.
#pragma once

#include <cstdint>

#include "cpu/instruction_set.h"
#include "scene/effects.h"

namespace lumiscene::blend_kernels {

// Blends `rows` rows of `width` picture pixels into the frame's pixels.
using ApplyBlend = void (*)(const BlendTables& tables, uint32_t* frame, int64_t frameStride,
                            const uint32_t* picture, int64_t pictureStride, int32_t width, int32_t rows);

ApplyBlend applyFor(cpu::Form form);
ApplyBlend portableApply();
// The form of cpu::activeForm().
ApplyBlend chosenApply();

}  // namespace lumiscene::blend_kernels
