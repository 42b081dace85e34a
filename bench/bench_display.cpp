// The display's share of a frame: converting the 640 x 480 frame into each
// display format, and one whole frame as the main loop runs it (prepare,
// advance, transfer, compose, present) on the headless backend, whose sleep
// only moves a virtual clock. Compare with BM_FrameMemcpy of the same run.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/app_flags.h"
#include "app/clock.h"
#include "app/main_loop.h"
#include "app/main_window.h"
#include "display/display_setup.h"
#include "display/labels.h"
#include "display/pixel_format.h"
#include "display/program_frames.h"
#include "pictures/embedded_pictures.h"
#include "pictures/random.h"
#include "platform/portable/headless/headless.h"
#include "platform/win32.h"
#include "scene/image.h"

namespace {

using namespace lumiscene;

struct DisplayFormat {
  int32_t bits;
  uint32_t red, green, blue;
};

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A desktop of the given format with the program's window and display on it.
// Returns false (and says why) when the set-up fails.
bool setUpDisplay(const DisplayFormat& format, benchmark::State& state) {
  headless::reset();
  headless::setDisplayFormat(format.bits, format.red, format.green, format.blue);
  calibrateClock();
  buildCaptions();
  HWND window = nullptr;
  HACCEL accelerators = nullptr;
  windowed = true;
  if (FAILED(createMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL, window, accelerators)) ||
      FAILED(InitDirectDraw(window, windowed))) {
    state.SkipWithError("the headless display could not be set up");
    return false;
  }
  return true;
}

bool loadProgramPictures(benchmark::State& state) {
  const std::string folder = LUMISCENE_RESOURCES;
  const std::vector<uint8_t> first = readFile(folder + "/picture1.jpg");
  const std::vector<uint8_t> second = readFile(folder + "/picture2.jpg");
  std::unique_ptr<Image> inset;
  if (!decodePicture(picture1, first.data(), static_cast<int32_t>(first.size())) ||
      !decodePicture(inset, second.data(), static_cast<int32_t>(second.size()))) {
    state.SkipWithError("the program's pictures do not decode");
    return false;
  }
  picture2 = makeCanvas(picture1->width, picture1->height, *inset);
  return true;
}

void BM_TransferFrame(benchmark::State& state, DisplayFormat format) {
  if (!setUpDisplay(format, state)) return;
  Image frame;
  frame.create(640, 480, 0);
  uint32_t seed = 1;
  for (int32_t i = 0; i < 640 * 480; ++i) frame.pixels[i] = nextRandom(seed) & 0xFFFFFF;
  for (auto _ : state) {
    if (FAILED(transferFrame(&frame))) {
      state.SkipWithError("transferFrame failed");
      break;
    }
  }
  releaseDisplay();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 640 * 480 * 4);
}
BENCHMARK_CAPTURE(BM_TransferFrame, 565, DisplayFormat{16, 0xF800, 0x07E0, 0x001F});
BENCHMARK_CAPTURE(BM_TransferFrame, 555, DisplayFormat{16, 0x7C00, 0x03E0, 0x001F});
BENCHMARK_CAPTURE(BM_TransferFrame, 24, DisplayFormat{24, 0xFF0000, 0x00FF00, 0x0000FF});
BENCHMARK_CAPTURE(BM_TransferFrame, 32, DisplayFormat{32, 0xFF0000, 0x00FF00, 0x0000FF});
BENCHMARK_CAPTURE(BM_TransferFrame, 32bgr, DisplayFormat{32, 0x0000FF, 0x00FF00, 0xFF0000});

void BM_FrameStep(benchmark::State& state) {
  if (!loadProgramPictures(state) || !setUpDisplay(DisplayFormat{32, 0xFF0000, 0x00FF00, 0x0000FF}, state)) return;
  frameDriver = FrameDriver{programFrameHost()};
  appActive = true;
  presentFrame();  // the first frame builds both scenes
  for (auto _ : state) {
    if (FAILED(presentFrame())) {
      state.SkipWithError("presentFrame failed");
      break;
    }
  }
  releaseDisplay();
}
BENCHMARK(BM_FrameStep);

}  // namespace
