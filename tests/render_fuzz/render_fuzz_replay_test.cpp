// Every input the script and tool-input fuzzers saved (fuzz/corpus/render, fuzz/corpus/tool-input)
// and every reproducer of a fault they once found (fuzz/regressions/...), run again. Under the
// address and undefined-behaviour sanitizers this shows the program still reads and writes only
// its own memory and leaks nothing on those scripts; in any build, that each run ends with its
// frames written or a one-line refusal, never a stall or another status, and that the readers
// keep their promises.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/render_script.h"
#include "fuzz/tool_input.h"
#include "tests/fuzz_inputs.h"

namespace lumiscene {
namespace {

using fuzz_inputs::bytesOf;
using fuzz_inputs::inputsIn;

class RenderReplay : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/lumiscene-replay-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    work_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(work_); }

  void replay(const std::string& folder) {
    for (const std::filesystem::path& path : inputsIn(folder)) {
      SCOPED_TRACE(path.filename().string());
      const std::vector<uint8_t> bytes = bytesOf(path);
      const int status = runRenderScript(bytes.data(), bytes.size(), work_);
      EXPECT_TRUE(status == 0 || status == 2) << "status " << status;
    }
  }

  std::string work_;
};

TEST_F(RenderReplay, SavedScripts) { replay("corpus/render"); }
TEST_F(RenderReplay, ScriptRegressions) { replay("regressions/render"); }

void replayToolInput(const std::string& folder) {
  for (const std::filesystem::path& path : inputsIn(folder)) {
    SCOPED_TRACE(path.filename().string());
    const std::vector<uint8_t> bytes = bytesOf(path);
    EXPECT_TRUE(toolInputHolds(bytes.data(), bytes.size()));
  }
}

TEST(ToolInputReplay, SavedInputs) { replayToolInput("corpus/tool-input"); }
TEST(ToolInputReplay, Regressions) { replayToolInput("regressions/tool-input"); }

}  // namespace
}  // namespace lumiscene
