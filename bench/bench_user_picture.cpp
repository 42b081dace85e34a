// Loading a user's photo: a 12-megapixel picture (4000 x 3000) read from a file,
// decoded and scaled to the panorama's 640 x 480, beside libjpeg-turbo decoding
// the same bytes at full size into 4-byte pixels, so the ratio comes from one run.
// The photo is made when the benchmark starts: a landscape of smooth colour
// fields, hard edges and fine grain, encoded by libjpeg-turbo at quality 90 with
// 4:2:0 chroma, as a camera or cjpeg would write it; once baseline and once
// progressive. Nothing large is committed.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "pictures/user_picture.h"
#include "scene/image.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

std::vector<uint8_t> makePhotoPixels() {
  std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
  uint32_t grain = 12345;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      grain = grain * 1664525u + 1013904223u;
      const double g = static_cast<double>(grain >> 24) / 255.0 - 0.5;
      const double sky = y < kHeight / 3 + 200 * std::sin(x * 0.003) ? 1.0 : 0.0;
      const double hills = std::sin(x * 0.0021 + y * 0.0013) * std::cos(y * 0.004 - x * 0.0007);
      const double leaves = std::sin(x * 0.11 + std::sin(y * 0.05) * 3) * std::sin(y * 0.09);
      uint8_t* p = rgb.data() + (static_cast<size_t>(y) * kWidth + x) * 3;
      const double r = sky * 110 + (1 - sky) * (90 + 40 * hills + 25 * leaves) + 24 * g;
      const double gr = sky * 160 + (1 - sky) * (120 + 50 * hills + 30 * leaves) + 24 * g;
      const double b = sky * 230 + (1 - sky) * (60 + 20 * hills + 10 * leaves) + 24 * g;
      p[0] = static_cast<uint8_t>(std::lround(std::fmin(255, std::fmax(0, r))));
      p[1] = static_cast<uint8_t>(std::lround(std::fmin(255, std::fmax(0, gr))));
      p[2] = static_cast<uint8_t>(std::lround(std::fmin(255, std::fmax(0, b))));
    }
  }
  return rgb;
}

// The encoded photo and the temporary file it is loaded from, removed at exit.
struct Photo {
  Photo() = default;
  Photo(Photo&& other) noexcept : bytes(std::move(other.bytes)), path(std::move(other.path)) {
    other.path.clear();
  }
  Photo(const Photo&) = delete;
  ~Photo() {
    if (!path.empty()) std::remove(path.c_str());
  }
  std::vector<uint8_t> bytes;
  std::string path;
};

Photo encodePhoto(const std::vector<uint8_t>& rgb, bool progressive) {
  Photo photo;
  tjhandle handle = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int flags = progressive ? TJFLAG_PROGRESSIVE : 0;
  if (tjCompress2(handle, rgb.data(), kWidth, 0, kHeight, TJPF_RGB, &jpeg, &size, TJSAMP_420, 90, flags) ==
      0) {
    photo.bytes.assign(jpeg, jpeg + size);
    photo.path = (std::filesystem::temp_directory_path() /
                  (std::string("lumiscene-bench-12mp") + (progressive ? "-progressive" : "") + ".jpg"))
                     .string();
    if (std::FILE* file = std::fopen(photo.path.c_str(), "wb")) {
      std::fwrite(photo.bytes.data(), 1, photo.bytes.size(), file);
      std::fclose(file);
    }
  }
  tjFree(jpeg);
  tjDestroy(handle);
  return photo;
}

const Photo& photo(bool progressive) {
  static const std::vector<Photo> photos = [] {
    const std::vector<uint8_t> rgb = makePhotoPixels();
    std::vector<Photo> made;
    made.push_back(encodePhoto(rgb, false));
    made.push_back(encodePhoto(rgb, true));
    return made;
  }();
  return photos[progressive ? 1 : 0];
}

void BM_LoadUserPicture(benchmark::State& state, bool progressive) {
  const Photo& file = photo(progressive);
  std::unique_ptr<lumiscene::Image> panorama;
  std::string message;
  for (auto _ : state) {
    if (!lumiscene::loadUserPicture(file.path, lumiscene::PictureRole::panorama, panorama, message)) {
      state.SkipWithError(message.c_str());
      return;
    }
    benchmark::DoNotOptimize(panorama->pixels.get());
  }
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

void BM_DecodeTurboPhoto(benchmark::State& state, bool progressive) {
  const Photo& file = photo(progressive);
  tjhandle handle = tjInitDecompress();
  std::vector<uint8_t> out(static_cast<size_t>(kWidth) * kHeight * 4);
  for (auto _ : state) {
    if (tjDecompress2(handle, file.bytes.data(), static_cast<unsigned long>(file.bytes.size()), out.data(),
                      kWidth, 0, kHeight, TJPF_BGRX, 0) != 0) {
      state.SkipWithError(tjGetErrorStr2(handle));
      break;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  tjDestroy(handle);
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

BENCHMARK_CAPTURE(BM_LoadUserPicture, 12mp, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeTurboPhoto, 12mp, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadUserPicture, 12mp_progressive, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeTurboPhoto, 12mp_progressive, true)->Unit(benchmark::kMillisecond);

}  // namespace
