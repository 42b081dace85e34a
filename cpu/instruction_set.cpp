// Reading the processor's features and the LUMISCENE_ISA override.
#include "cpu/instruction_set.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace lumiscene::cpu {

namespace {

Form detect() {
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
  // __builtin_cpu_supports also asks the operating system whether it saves the
  // wide registers (XGETBV), so a form reported here can run.
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi")) {
    return Form::Avx512;
  }
  if (__builtin_cpu_supports("avx2")) return Form::Avx2;
#endif
  return Form::Sse2;
}

Form lowered(Form form) { return form < supportedForm() ? form : supportedForm(); }

Form chooseActive() {
  Form requested = supportedForm();
  const char* name = std::getenv("LUMISCENE_ISA");
  if (name != nullptr) formFromName(name, requested);
  return lowered(requested);
}

Form& activeSlot() {
  static Form form = chooseActive();
  return form;
}

}  // namespace

Form supportedForm() {
  static const Form form = detect();
  return form;
}

Form activeForm() { return activeSlot(); }

void useForm(Form form) { activeSlot() = lowered(form); }

const char* formName(Form form) {
  switch (form) {
    case Form::Avx512:
      return "avx512";
    case Form::Avx2:
      return "avx2";
    default:
      return "sse2";
  }
}

bool formFromName(const char* name, Form& form) {
  for (const Form candidate : {Form::Sse2, Form::Avx2, Form::Avx512}) {
    if (std::strcmp(name, formName(candidate)) == 0) {
      form = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace lumiscene::cpu
