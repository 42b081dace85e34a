// libFuzzer target for the whole program: every input becomes a lumiscene-render
// run in this process (options, an event script of every kind, any depth, a few
// frames) on the headless backend with its virtual clock. The sanitizers catch
// memory and arithmetic faults and leaks; the check below catches a run that
// ends any other way than with its frames written or its one-line refusal. A
// hang shows as libFuzzer's timeout.
#include <cstdlib>
#include <string>

#include "fuzz/render_script.h"

namespace {

std::string workDir() {
  static std::string dir = [] {
    char pattern[] = "/tmp/lumiscene-fuzz-render-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) std::abort();
    return std::string(made);
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const int status = lumiscene::runRenderScript(data, size, workDir());
  if (status != 0 && status != 2) __builtin_trap();
  return 0;
}
