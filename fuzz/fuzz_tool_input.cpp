// libFuzzer target for the developer tools' readers (see tool_input.h). The
// sanitizers catch memory and arithmetic faults; a broken promise traps.
#include "fuzz/tool_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  if (!lumiscene::toolInputHolds(data, size)) __builtin_trap();
  return 0;
}
