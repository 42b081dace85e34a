// JPEG decode timings: our decoder on its default path (four-lane transform, 64-bit reader)
// and on its integer path, beside libjpeg-turbo and stb_image decoding the same bytes into
// 4-byte pixels, so every ratio comes from one run. The four files are read into memory once
// before any timing starts; each iteration decodes one whole picture.
//
// The peers run with their defaults (libjpeg-turbo: accurate integer transform and smooth
// chroma upsampling; stb_image: its own defaults), which is how a program would call them.
#include <benchmark/benchmark.h>
#include <stb_image.h>
#include <turbojpeg.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "jpeg/decoded_picture.h"

namespace {

const char* const kFiles[] = {"b420_640", "b444_640", "b420_1080", "p420_1080"};

struct BenchFile {
  std::vector<uint8_t> bytes;
  int64_t pixels = 0;  // width x height, from libjpeg-turbo's header reader
};

BenchFile loadFile(const std::string& name) {
  BenchFile file;
  std::ifstream in(std::string(LUMISCENE_BENCH_DATA) + "/" + name + ".jpg", std::ios::binary);
  file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (file.bytes.empty()) return file;
  tjhandle handle = tjInitDecompress();
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  if (tjDecompressHeader3(handle, file.bytes.data(), static_cast<unsigned long>(file.bytes.size()),
                          &width, &height, &subsampling, &colourspace) == 0) {
    file.pixels = int64_t{width} * height;
  }
  tjDestroy(handle);
  return file;
}

// Loaded on first use, which is registration time, so no benchmark pays for the disk.
const BenchFile& benchFile(int index) {
  static const std::vector<BenchFile> files = [] {
    std::vector<BenchFile> all;
    for (const char* name : kFiles) all.push_back(loadFile(name));
    return all;
  }();
  return files[static_cast<size_t>(index)];
}

bool usable(benchmark::State& state, const BenchFile& file) {
  if (file.bytes.empty() || file.pixels == 0) {
    state.SkipWithError("benchmark file missing or unreadable (run bench/data/make_bench_files.sh)");
    return false;
  }
  return true;
}

void finish(benchmark::State& state, const BenchFile& file) {
  state.SetItemsProcessed(state.iterations() * file.pixels);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.bytes.size()));
}

void decodeOurs(benchmark::State& state, int index, bool useMmx) {
  const BenchFile& file = benchFile(index);
  if (!usable(state, file)) return;
  lumiscene::DecodedPicture picture(useMmx);
  for (auto _ : state) {
    if (!picture.decode(file.bytes.data(), static_cast<int32_t>(file.bytes.size()))) {
      state.SkipWithError("decode failed");
      return;
    }
    benchmark::DoNotOptimize(picture.pixels);
    benchmark::ClobberMemory();
  }
  finish(state, file);
}

void BM_Decode(benchmark::State& state, int index) { decodeOurs(state, index, true); }

void BM_DecodeInteger(benchmark::State& state, int index) { decodeOurs(state, index, false); }

void BM_DecodeTurbo(benchmark::State& state, int index) {
  const BenchFile& file = benchFile(index);
  if (!usable(state, file)) return;
  tjhandle handle = tjInitDecompress();
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  tjDecompressHeader3(handle, file.bytes.data(), static_cast<unsigned long>(file.bytes.size()), &width,
                      &height, &subsampling, &colourspace);
  std::vector<uint8_t> out(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  for (auto _ : state) {
    if (tjDecompress2(handle, file.bytes.data(), static_cast<unsigned long>(file.bytes.size()), out.data(),
                      width, 0, height, TJPF_BGRX, 0) != 0) {
      state.SkipWithError(tjGetErrorStr2(handle));
      break;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  tjDestroy(handle);
  finish(state, file);
}

void BM_DecodeStb(benchmark::State& state, int index) {
  const BenchFile& file = benchFile(index);
  if (!usable(state, file)) return;
  for (auto _ : state) {
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(file.bytes.data(), static_cast<int>(file.bytes.size()), &width,
                                            &height, &channels, 4);
    if (pixels == nullptr) {
      state.SkipWithError(stbi_failure_reason());
      return;
    }
    benchmark::DoNotOptimize(pixels);
    stbi_image_free(pixels);
  }
  finish(state, file);
}

// Registered per file, peers beside ours, so neighbouring lines of the report compare directly.
const bool registered = [] {
  for (int i = 0; i < static_cast<int>(std::size(kFiles)); ++i) {
    const std::string file = kFiles[i];
    benchmark::RegisterBenchmark(("BM_Decode/" + file).c_str(), BM_Decode, i)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("BM_DecodeInteger/" + file).c_str(), BM_DecodeInteger, i)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("BM_DecodeTurbo/" + file).c_str(), BM_DecodeTurbo, i)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("BM_DecodeStb/" + file).c_str(), BM_DecodeStb, i)->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
