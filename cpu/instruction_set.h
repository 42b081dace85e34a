// The instruction-set form the hot pixel kernels run in, chosen once per run.
//
// The build targets the x86-64 baseline (SSE2). Kernels that pay for it carry
// AVX2 and AVX-512 forms as well, compiled with per-function target attributes
// into the same binary; each module keeps one table of kernels per form and
// takes the one for activeForm() at the start of each pass. The portable and SSE2
// forms give the reference results: every other form must give the same bytes.
//
// LUMISCENE_ISA=sse2|avx2|avx512 in the environment lowers the form (never
// raises it above what the processor supports), so one machine can run and
// test every form. Any other value is ignored.
#pragma once

#include <cstdint>

namespace lumiscene::cpu {

enum class Form : int32_t {
  Sse2 = 0,    // the x86-64 baseline, and every processor that is not x86-64
  Avx2 = 1,    // AVX2 (and the SSE4.1 and SSSE3 it implies)
  Avx512 = 2,  // AVX-512 F, BW, VL and VBMI
};

inline constexpr int32_t formCount = 3;

// The best form this processor and its operating system support.
Form supportedForm();
// The form the kernels run in: supportedForm(), lowered by LUMISCENE_ISA
// (read on the first call), until useForm changes it.
Form activeForm();
// Makes the kernels run in the given form, or the best supported one below it;
// for benchmarks and tests that hold the forms against each other.
void useForm(Form form);
// "sse2", "avx2" or "avx512".
const char* formName(Form form);
// The form named, or false when the name is none of the three.
bool formFromName(const char* name, Form& form);

}  // namespace lumiscene::cpu
