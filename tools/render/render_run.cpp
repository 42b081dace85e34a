// lumiscene-render: runs the whole program on the headless backend and writes
// chosen frames as PPM files, for tests, outside checks and pictures of the
// animation. A run leaves nothing behind (the program's globals and the
// platform layer are reset before it), so one process can run it again and again.
//
// The virtual clock starts at 0 and moves only by the program's sleeps, so
// frame k of an active window ends its sleep at 10k ms and every run with the
// same pictures and events gives the same bytes. For each requested time T the
// tool writes frame-T.ppm (the 640 x 480 frame image right after the frame
// whose sleep ended at T) and screen-T.ppm (the client area as presented).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/app_flags.h"
#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "display/program_frames.h"
#include "pictures/embedded_pictures.h"
#include "pictures/user_picture.h"
#include "platform/portable/headless/headless.h"
#include "platform/win32.h"
#include "scene/image.h"
#include "tools/common/ppm.h"
#include "tools/render/render_options.h"
#include "tools/render/render_run.h"

namespace lumiscene {
namespace {

constexpr const char* usage =
    "usage: lumiscene-render [--picture1 P1] [--picture2 P2] --out DIR --at T1,T2,... "
    "[--depth 8|16|16-555|24|32|32-bgr] [--events SCRIPT] [--dump-pictures]";
constexpr int32_t frameWidth = 640;
constexpr int32_t frameHeight = 480;

int usageError(const std::string& reason) {
  std::fprintf(stderr, "lumiscene-render: %s (%s)\n", reason.c_str(), usage);
  return 2;
}

int pictureError(const std::string& message) {
  std::fprintf(stderr, "lumiscene-render: %s\n", message.c_str());
  return 2;
}

int fileError(const std::string& path, const std::string& reason) {
  std::fprintf(stderr, "lumiscene-render: %s: %s\n", path.c_str(), reason.c_str());
  return 2;
}

// The first bytes of a file, enough to tell a JPEG from a PPM.
bool readFileStart(const std::string& path, size_t count, std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  bytes.resize(count);
  bytes.resize(std::fread(bytes.data(), 1, count, file));
  const bool read = std::ferror(file) == 0;
  std::fclose(file);
  return read;
}

// Reads a JPEG (recognised by its start-of-image marker) through the program's
// own loader of user pictures, or a binary PPM, and fits it to its role as the
// program fits a user's picture.
bool loadPicture(const std::string& path, PictureRole role, std::unique_ptr<Image>& image,
                 std::string& error) {
  std::vector<uint8_t> bytes;
  if (!readFileStart(path, 2, bytes)) {
    error = path + ": cannot read the file";
    return false;
  }
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8)
    return loadUserPicture(path, role, image, error);
  // The file's bytes are dropped as soon as they are parsed.
  if (!readFileBytes(path, bytes)) {
    error = path + ": cannot read the file";
    return false;
  }
  PpmPicture ppm;
  const bool parsed = parsePpm(bytes, ppm, error);
  std::vector<uint8_t>().swap(bytes);
  if (!parsed) {
    error = path + ": " + error;
    return false;
  }
  Image picture;
  picture.adopt(ppm.width, ppm.height, std::move(ppm.pixels));
  image = placeUserPicture(picture, role);
  return true;
}

std::string outPath(const RenderOptions& options, const std::string& name) {
  return (std::filesystem::path(options.outDir) / name).string();
}

bool writeImage(const std::string& path, const Image& image) {
  return writePpm(path, image.width, image.height, image.pixels.get());
}

// Prints the message boxes and opened addresses not printed yet, one a line.
class LogPrinter {
 public:
  void printNew() {
    const auto& boxes = headless::messageBoxes();
    for (; boxesPrinted_ < boxes.size(); ++boxesPrinted_) {
      std::string text = boxes[boxesPrinted_].text;
      // Line breaks in a box's text are shown as \n, so that each box stays one line.
      for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.replace(at, 1, "\\n");
      std::printf("messagebox: %s\n", text.c_str());
    }
    const auto& addresses = headless::openedAddresses();
    for (; addressesPrinted_ < addresses.size(); ++addressesPrinted_)
      std::printf("open: %s\n", addresses[addressesPrinted_].c_str());
  }

 private:
  size_t boxesPrinted_ = 0;
  size_t addressesPrinted_ = 0;
};

// What waited for input that could not come, when the program did; the run
// then ends with this error instead of hanging.
std::string stallWhat;
bool stalled = false;

void recordStall(const char* what) {
  if (stalled) return;
  stalled = true;
  stallWhat = what;
}

int stallError() {
  std::fflush(stdout);
  std::fprintf(stderr, "lumiscene-render: the program waits for input that cannot come (%s)\n",
               stallWhat.c_str());
  return 2;
}

// Drives the program like a user and a display would, at the script's times.
class Run {
 public:
  Run(const RenderOptions& options, HWND window, HACCEL accelerators)
      : options_(options), window_(window), accelerators_(accelerators) {}

  // Returns the tool's exit status.
  int go() {
    for (const RenderEvent& event : options_.events)
      headless::schedule(uint64_t{event.time} * 1000, [this, &event] { apply(event); });
    size_t nextTime = 0;
    // Runs until every requested frame is written and every event has been
    // handled by the program, or until the program ends. While the program
    // waits (minimised, or in a dialog) the backend moves the clock on to the
    // next event.
    while (nextTime < options_.times.size() || headless::scheduledCount() > 0 || messageWaiting()) {
      const uint64_t before = nowMs();
      int exitCode = 0;
      const bool running = messageLoopStep(window_, accelerators_, exitCode);
      logs_.printNew();
      if (stalled) return stallError();
      if (!running) {
        std::printf("exit: %d\n", exitCode);
        break;
      }
      const uint64_t now = nowMs();
      if (now == before) continue;
      // A sleep ended at `now`: the frame drawn after it is complete.
      while (nextTime < options_.times.size() && options_.times[nextTime] < now) ++nextTime;
      if (nextTime < options_.times.size() && options_.times[nextTime] == now) {
        if (!writeFrame(static_cast<uint32_t>(now))) return 2;
        ++nextTime;
      }
    }
    std::fflush(stdout);
    for (uint32_t time : options_.times) {
      if (!wrote(time)) return usageError("no frame ends its sleep at " + std::to_string(time) + " ms");
    }
    return 0;
  }

 private:
  static uint64_t nowMs() { return headless::clockMicroseconds() / 1000; }

  bool messageWaiting() const {
    MSG message;
    return PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) != 0 || headless::pendingInput() > 0;
  }

  bool wrote(uint32_t time) const {
    for (uint32_t done : writtenTimes_)
      if (done == time) return true;
    return false;
  }

  static bool cannotWrite(const std::string& path) {
    fileError(path, "cannot write");
    return false;
  }

  bool writeFrame(uint32_t time) {
    const std::string suffix = std::to_string(time) + ".ppm";
    if (frameDriver.frameImage != nullptr) {
      const std::string path = outPath(options_, "frame-" + suffix);
      if (!writeImage(path, *frameDriver.frameImage)) return cannotWrite(path);
    }
    const headless::Snapshot screen = headless::clientArea();
    const std::string path = outPath(options_, "screen-" + suffix);
    if (!writePpm(path, screen.width, screen.height, screen.pixels.data())) return cannotWrite(path);
    writtenTimes_.push_back(time);
    return true;
  }

  void clickClientCentre() {
    // The program may have closed its window already (a click scheduled after Esc).
    RECT client{};
    if (!GetClientRect(window_, &client)) return;
    POINT centre{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    ClientToScreen(window_, &centre);
    headless::click(centre.x, centre.y);
  }

  void apply(const RenderEvent& event) {
    switch (event.kind) {
      case RenderEventKind::SwitchKey:
        headless::tapKey(VK_SPACE);
        break;
      case RenderEventKind::Pointer:
        headless::setPointer(event.x, event.y);
        break;
      case RenderEventKind::Deactivate:
        headless::setFocus(false);
        break;
      case RenderEventKind::Activate:
        headless::setFocus(true);
        break;
      case RenderEventKind::Press:
        if (event.withAlt) headless::pressKey(VK_MENU);
        headless::tapKey(event.virtualKey);
        if (event.withAlt) headless::releaseKey(VK_MENU);
        break;
      case RenderEventKind::Click:
        clickClientCentre();
        break;
      case RenderEventKind::Menu:
        PostMessageA(window_, WM_COMMAND, event.commandId, 0);
        break;
      case RenderEventKind::Minimize:
        headless::minimise();
        break;
      case RenderEventKind::Restore:
        headless::restore();
        break;
      case RenderEventKind::LoseSurfaces:
        headless::loseAllSurfaces();
        break;
      case RenderEventKind::ModeChange:
        headless::changeDisplayMode(options_.desktop.bits, options_.desktop.redMask,
                                    options_.desktop.greenMask, options_.desktop.blueMask);
        break;
      case RenderEventKind::ExclusiveOn:
        headless::setExclusiveModeHeldElsewhere(true);
        break;
      case RenderEventKind::ExclusiveOff:
        headless::setExclusiveModeHeldElsewhere(false);
        break;
    }
  }

  const RenderOptions& options_;
  HWND window_;
  HACCEL accelerators_;
  LogPrinter logs_;
  std::vector<uint32_t> writtenTimes_;
};

// The pictures: the program's own, with any of them replaced by a file.
int loadPictures(const RenderOptions& options, bool& embeddedMissing) {
  embeddedMissing = false;
  if ((options.picture1Path.empty() || options.picture2Path.empty()) && !lumiscene::loadPictures()) {
    embeddedMissing = true;
    return 0;
  }
  std::string error;
  if (!options.picture1Path.empty() &&
      !loadPicture(options.picture1Path, PictureRole::panorama, picture1, error)) {
    return pictureError(error);
  }
  if (!options.picture2Path.empty() &&
      !loadPicture(options.picture2Path, PictureRole::inset, picture2, error)) {
    return pictureError(error);
  }
  return 0;
}

int render(const RenderOptions& options) {
  headless::reset();
  resetProgram();
  stalled = false;
  headless::setStallHandler(recordStall);
  headless::setDisplayFormat(options.desktop.bits, options.desktop.redMask, options.desktop.greenMask,
                             options.desktop.blueMask);

  bool embeddedMissing = false;
  if (const int status = loadPictures(options, embeddedMissing); status != 0) return status;
  if (embeddedMissing) {
    // The program's own start-up ends silently in this case, but as a failure.
    std::printf("exit: %d\n", failureExitStatus);
    return 0;
  }

  std::error_code ignored;
  std::filesystem::create_directories(options.outDir, ignored);
  if (!std::filesystem::is_directory(options.outDir))
    return fileError(options.outDir, "cannot create the folder");
  if (options.dumpPictures) {
    for (const auto& [name, image] :
         {std::pair{"picture1.ppm", picture1.get()}, {"picture2.ppm", picture2.get()}}) {
      const std::string path = outPath(options, name);
      if (!writeImage(path, *image)) return fileError(path, "cannot write");
    }
  }

  HWND window = nullptr;
  HACCEL accelerators = nullptr;
  if (!startWindowAndDisplay(GetModuleHandleA(nullptr), SW_SHOWNORMAL, window, accelerators)) {
    LogPrinter().printNew();
    std::printf("exit: %d\n", failureExitStatus);
    return 0;
  }
  return Run(options, window, accelerators).go();
}

// Whatever a run leaves (the window, surfaces, pictures) is let go before the
// next one, and before the process ends, so a leak check sees only real leaks.
void releaseRun() {
  resetProgram();
  headless::reset();
}

}  // namespace

int runRenderTool(int argc, char** argv) {
  RenderOptions options;
  std::string error;
  if (!parseRenderOptions(argc, argv, options, error)) return usageError(error);
  const int status = render(options);
  std::fflush(stdout);
  releaseRun();
  return status;
}

}  // namespace lumiscene
