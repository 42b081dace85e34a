// lumiscene-soak: long runs of the whole program on the headless backend, for
// `make fuzz` (they take too long for `make test`). Built with the test suites,
// so under the asan preset every frame of them is checked by the sanitizers.
//
//   lumiscene-soak random [MINUTES]   MINUTES (default 120) virtual minutes of
//                                     random events at every depth
//   lumiscene-soak wrap               three virtual minutes across the 32-bit
//                                     millisecond wrap, with the inset and
//                                     full-screen toggled across it
//
// Prints one line per check and exits 1 when one fails.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "display/display_setup.h"
#include "display/program_frames.h"
#include "platform/portable/headless/headless.h"
#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "tests/scene/allocation_count.h"

namespace lumiscene {
namespace {

int failures = 0;
bool stalled = false;

void check(bool holds, const std::string& what) {
  std::printf("%s: %s\n", holds ? "ok  " : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!holds) ++failures;
}

void recordStall(const char* what) {
  if (!stalled) std::printf("stall: %s\n", what);
  stalled = true;
}

uint64_t nowMs() { return headless::clockMicroseconds() / 1000; }

struct Depth {
  const char* name;
  int32_t bits;
  uint32_t red, green, blue;
};

constexpr Depth depths[] = {{"8", 8, 0, 0, 0},
                            {"16", 16, 0xF800, 0x07E0, 0x001F},
                            {"16-555", 16, 0x7C00, 0x03E0, 0x001F},
                            {"24", 24, 0xFF0000, 0x00FF00, 0x0000FF},
                            {"32", 32, 0xFF0000, 0x00FF00, 0x0000FF},
                            {"32-bgr", 32, 0x0000FF, 0x00FF00, 0xFF0000}};

// The program started on a fresh headless world, stepped as its message loop would be.
class Program {
 public:
  Program(const Depth& depth, uint64_t startMicroseconds) {
    headless::reset();
    resetProgram();
    stalled = false;
    headless::setStallHandler(recordStall);
    headless::setDisplayFormat(depth.bits, depth.red, depth.green, depth.blue);
    headless::setClockMicroseconds(startMicroseconds);
    started = startUp(GetModuleHandleA(nullptr), SW_SHOWNORMAL, window, accelerators);
    running = started;
  }
  ~Program() {
    resetProgram();
    headless::reset();
  }

  // Steps the loop until the clock reaches ms, the program ends or it stalls.
  void runUntil(uint64_t ms) {
    while (running && !stalled && nowMs() < ms) running = messageLoopStep(window, accelerators, exitCode);
  }

  HWND window = nullptr;
  HACCEL accelerators = nullptr;
  bool started = false;
  bool running = false;
  int exitCode = 0;
};

void tap(uint32_t key, bool withAlt = false) {
  if (withAlt) headless::pressKey(VK_MENU);
  headless::tapKey(key);
  if (withAlt) headless::releaseKey(VK_MENU);
}

// Random events for `minutes` virtual minutes: everything a user and the
// display can do except ending the program. A toggle to full-screen while
// another program holds the display ends it by design, so toggles wait for
// the display to be free.
void soakAtDepth(const Depth& depth, uint32_t minutes, uint32_t seed) {
  Program program(depth, 0);
  const std::string at = std::string("depth ") + depth.name;
  check(program.started, at + ": starts");
  if (!program.started) return;
  std::mt19937 random(seed);
  const uint64_t endMs = uint64_t{minutes} * 60'000;
  bool heldElsewhere = false;
  bool minimised = false;
  HWND window = program.window;
  for (uint64_t time = 0; time < endMs;) {
    time += random() % 4000;
    const uint64_t when = time * 1000;
    switch (random() % 12) {
      case 0:
        headless::schedule(when, [x = int32_t(random() % 1100), y = int32_t(random() % 800)] {
          headless::movePointer(x, y);
        });
        break;
      case 1:
        headless::schedule(when, [key = uint32_t('A' + random() % 23)] { tap(key); });  // A to W: no X
        break;
      case 2:
        headless::schedule(when, [&heldElsewhere, alt = random() % 2 == 0] {
          if (!heldElsewhere) alt ? tap(VK_RETURN, true) : tap('T');
        });
        break;
      case 3:
        headless::schedule(when, [] { tap('P'); });
        break;
      case 4:
        headless::schedule(when, [focused = random() % 2 == 0] { headless::setFocus(focused); });
        break;
      case 5:
        headless::schedule(when, [&minimised] {
          minimised ? headless::restore() : headless::minimise();
          minimised = !minimised;
        });
        break;
      case 6:
        headless::schedule(when, [] { headless::loseAllSurfaces(); });
        break;
      case 7:
        headless::schedule(
            when, [depth] { headless::changeDisplayMode(depth.bits, depth.red, depth.green, depth.blue); });
        break;
      case 8:
        headless::schedule(when, [&heldElsewhere] {
          heldElsewhere = !heldElsewhere;
          headless::setExclusiveModeHeldElsewhere(heldElsewhere);
        });
        break;
      case 9:
        headless::schedule(when, [window] {
          headless::answerDialog(IDOK);
          PostMessageA(window, WM_COMMAND, IDM_ABOUT, 0);
        });
        break;
      case 10:
        headless::schedule(when, [] { headless::click(400, 300); });
        break;
      default:
        headless::schedule(when, [] { tap(VK_SPACE); });
        break;
    }
  }
  // At the end everything is given back: the window restored, active and the display free.
  headless::schedule(endMs * 1000, [&] {
    if (minimised) headless::restore();
    minimised = false;
    heldElsewhere = false;
    headless::setExclusiveModeHeldElsewhere(false);
    headless::setFocus(true);
  });
  program.runUntil(endMs + 1000);
  check(program.running && !stalled, at + ": runs " + std::to_string(minutes) + " virtual minutes");
  const int32_t presented = headless::presentCount();
  program.runUntil(endMs + 2000);
  check(headless::presentCount() > presented, at + ": frames still come");
  check(headless::messageBoxes().empty(), at + ": no failure reported");
}

// The clock starts one minute before the 32-bit millisecond count wraps.
void acrossTheWrap() {
  constexpr uint64_t wrapMs = uint64_t{1} << 32;
  constexpr uint64_t startMs = wrapMs - 60'000;
  Program program(depths[4], startMs * 1000);
  check(program.started, "wrap: starts a minute before the wrap");
  if (!program.started) return;

  // Frames come in every second across the wrap.
  bool framesEverySecond = true;
  for (uint64_t second = startMs + 1000; second <= wrapMs - 5000; second += 1000) {
    const int32_t before = headless::presentCount();
    program.runUntil(second);
    framesEverySecond = framesEverySecond && headless::presentCount() > before;
  }
  // The inset starts 3 s before the wrap, full-screen 1 s before; windowed again 2 s after.
  program.runUntil(wrapMs - 3000);
  tap(VK_SPACE);
  program.runUntil(wrapMs - 2990);
  check(frameDriver.insetMode == 1, "wrap: a key starts the inset 3 s before the wrap");
  headless::schedule((wrapMs - 1000) * 1000, [] { tap('T'); });
  headless::schedule((wrapMs + 2000) * 1000, [] { tap(VK_RETURN, true); });
  bool insetHeld = true;
  for (uint64_t tenth = wrapMs - 2900; tenth <= wrapMs + 10'000; tenth += 100) {
    const int32_t before = headless::presentCount();
    program.runUntil(tenth);
    framesEverySecond = framesEverySecond && headless::presentCount() > before;
    if (tenth == wrapMs) check(!windowed && headless::fullScreen(), "wrap: full-screen across the wrap");
    if (tenth <= wrapMs + 2900) insetHeld = insetHeld && frameDriver.insetMode == 1;
    if (tenth == wrapMs + 3100)
      check(frameDriver.insetMode == 0, "wrap: the inset ends 6 s after it started");
  }
  check(insetHeld, "wrap: the inset shows until 5.9 s after it started");
  check(windowed && !headless::fullScreen(), "wrap: windowed again after it");

  // After the first minute nothing is allocated any more, the timed inset included.
  program.runUntil(startMs + 70'000);
  const int64_t settled = scene_test::allocationCount();
  for (uint64_t second = startMs + 71'000; second <= startMs + 180'000; second += 1000) {
    const int32_t before = headless::presentCount();
    program.runUntil(second);
    framesEverySecond = framesEverySecond && headless::presentCount() > before;
  }
  const int64_t grown = scene_test::allocationCount() - settled;
  check(framesEverySecond, "wrap: frames every second for three minutes");
  check(grown == 0, "wrap: no allocation from the second minute on (" + std::to_string(grown) + ")");
  check(program.running && !stalled, "wrap: still running");
}

}  // namespace
}  // namespace lumiscene

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "random") {
    const uint32_t minutes = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 120;
    const uint32_t seed = argc > 3 ? static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 1;
    for (const auto& depth : lumiscene::depths) lumiscene::soakAtDepth(depth, minutes, seed);
  } else if (mode == "wrap") {
    lumiscene::acrossTheWrap();
  } else {
    std::fprintf(stderr, "usage: lumiscene-soak random [MINUTES [SEED]] | wrap\n");
    return 2;
  }
  std::printf("%s\n", lumiscene::failures == 0 ? "soak: all checks passed" : "soak: FAILED");
  return lumiscene::failures == 0 ? 0 : 1;
}
