// lumiscene-render: runs the frame driver on the headless backend and writes
// chosen frames as PPM files, for tests, outside checks and pictures of the
// animation.
//
// The virtual clock starts at 0 and moves only by the frame driver's sleeps,
// so frame k of an active window ends its sleep at 10k ms and every run with
// the same pictures and events gives the same bytes.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/app_flags.h"
#include "app/clock.h"
#include "display/display_depth.h"
#include "pictures/embedded_pictures.h"
#include "platform/portable/headless/headless.h"
#include "scene/frame_driver.h"
#include "scene/image.h"
#include "tools/common/ppm.h"
#include "tools/render/render_options.h"

namespace lumiscene {
namespace {

constexpr const char* usage =
    "usage: lumiscene-render --picture1 P1 --picture2 P2 --out DIR --at T1,T2,... "
    "[--depth 16|24|32] [--events SCRIPT] [--dump-pictures]";
constexpr int32_t frameWidth = 640;
constexpr int32_t frameHeight = 480;

int usageError(const std::string& reason) {
  std::fprintf(stderr, "lumiscene-render: %s (%s)\n", reason.c_str(), usage);
  return 2;
}

int fileError(const std::string& path, const std::string& reason) {
  std::fprintf(stderr, "lumiscene-render: %s: %s\n", path.c_str(), reason.c_str());
  return 2;
}

// Reads a binary PPM, or a JPEG (recognised by its start-of-image marker)
// through the program's own decoder, as the program decodes its pictures.
bool loadPicture(const std::string& path, std::unique_ptr<Image>& image, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!readFileBytes(path, bytes)) {
    error = "cannot read the file";
    return false;
  }
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
    if (bytes.size() > INT32_MAX || !decodePicture(image, bytes.data(), static_cast<int32_t>(bytes.size()))) {
      error = "the JPEG data does not decode";
      return false;
    }
    return true;
  }
  PpmPicture ppm;
  if (!parsePpm(bytes, ppm, error)) return false;
  image = std::make_unique<Image>();
  image->create(ppm.width, ppm.height, 0);
  image->loadPixels(ppm.pixels.data());
  return true;
}

bool isActivityEvent(const RenderEvent& event) {
  return event.kind == RenderEventKind::Activate || event.kind == RenderEventKind::Deactivate;
}

// Walks the frame schedule without drawing: every requested time must be the
// end of some frame's sleep, which depends only on when the window is active.
bool checkSchedule(const RenderOptions& options, std::string& error) {
  bool active = true;
  size_t nextEvent = 0;
  auto applyUpTo = [&](uint32_t now) {
    for (; nextEvent < options.events.size() && options.events[nextEvent].time <= now; ++nextEvent) {
      if (isActivityEvent(options.events[nextEvent]))
        active = options.events[nextEvent].kind == RenderEventKind::Activate;
    }
  };
  applyUpTo(0);
  uint64_t now = 0;
  for (uint32_t wanted : options.times) {
    while (now < wanted) {
      now += active ? 10 : 100;
      applyUpTo(static_cast<uint32_t>(now));
    }
    if (now != wanted) {
      error = "no frame ends its sleep at " + std::to_string(wanted) + " ms";
      return false;
    }
  }
  return true;
}

void applyEvent(const RenderEvent& event, FrameDriver& driver) {
  switch (event.kind) {
    case RenderEventKind::SwitchKey:
      driver.insetMode ^= 1;
      break;
    case RenderEventKind::Pointer:
      headless::setPointer(event.x, event.y);
      break;
    case RenderEventKind::Deactivate:
      appActive = false;
      break;
    case RenderEventKind::Activate:
      appActive = true;
      break;
  }
}

std::string framePath(const RenderOptions& options, const char* name) {
  return (std::filesystem::path(options.outDir) / name).string();
}

int render(const RenderOptions& options) {
  std::string error;
  if (!checkSchedule(options, error)) return usageError(error);

  std::unique_ptr<Image> first;
  if (!loadPicture(options.picture1Path, first, error)) return fileError(options.picture1Path, error);
  if (first->width != frameWidth || first->height != frameHeight) {
    return fileError(options.picture1Path, "picture1 must be 640 x 480, not " + std::to_string(first->width) +
                                               " x " + std::to_string(first->height));
  }
  std::unique_ptr<Image> second;
  if (!loadPicture(options.picture2Path, second, error)) return fileError(options.picture2Path, error);
  picture2 = makeCanvas(first->width, first->height, *second);
  picture1 = std::move(first);

  std::error_code ignored;
  std::filesystem::create_directories(options.outDir, ignored);
  if (!std::filesystem::is_directory(options.outDir)) return fileError(options.outDir, "cannot create the folder");
  if (options.dumpPictures) {
    for (const auto& [name, image] : {std::pair{"picture1.ppm", picture1.get()}, {"picture2.ppm", picture2.get()}}) {
      const std::string path = framePath(options, name);
      if (!writePpm(path, image->width, image->height, image->pixels.get())) return fileError(path, "cannot write");
    }
  }

  headless::reset();
  calibrateClock();
  displayDepth = options.depth;
  appActive = true;
  FrameDriver driver;

  size_t nextEvent = 0;
  auto applyEventsUpTo = [&](uint64_t now) {
    for (; nextEvent < options.events.size() && options.events[nextEvent].time <= now; ++nextEvent)
      applyEvent(options.events[nextEvent], driver);
  };
  applyEventsUpTo(0);
  for (uint32_t wanted : options.times) {
    uint64_t now = 0;
    do {
      driver.preparePictures();
      driver.advanceFrame();
      now = headless::clockMicroseconds() / 1000;
      if (now == wanted) {
        const std::string path = framePath(options, ("frame-" + std::to_string(wanted) + ".ppm").c_str());
        const Image& frame = *driver.frameImage;
        if (!writePpm(path, frame.width, frame.height, frame.pixels.get())) return fileError(path, "cannot write");
      }
      applyEventsUpTo(now);
    } while (now < wanted);
  }
  return 0;
}

}  // namespace
}  // namespace lumiscene

int main(int argc, char** argv) {
  lumiscene::RenderOptions options;
  std::string error;
  if (!lumiscene::parseRenderOptions(argc, argv, options, error)) return lumiscene::usageError(error);
  return lumiscene::render(options);
}
