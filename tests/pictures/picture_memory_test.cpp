// A picture costs its decoded pixels once: a small file may declare a huge size
// (the format allows 65,535 x 65,535), and every extra copy on the way from the
// decoder into an Image multiplies what such a file takes. This executable
// replaces operator new to follow the bytes alive at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

#include "pictures/embedded_pictures.h"
#include "scene/image.h"

namespace {

size_t liveBytes = 0;
size_t peakBytes = 0;

// Each block carries its size in front of it, so that delete can count it off.
constexpr size_t header = alignof(std::max_align_t);

void* allocate(size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + header));
  if (block == nullptr) return nullptr;
  *reinterpret_cast<size_t*>(block) = size;
  liveBytes += size;
  peakBytes = std::max(peakBytes, liveBytes);
  return block + header;
}

void release(void* p) {
  if (p == nullptr) return;
  auto* block = static_cast<unsigned char*>(p) - header;
  liveBytes -= *reinterpret_cast<size_t*>(block);
  std::free(block);
}

}  // namespace

void* operator new(size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete(void* p, size_t) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete[](void* p, size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }

namespace lumiscene {
namespace {

std::vector<uint8_t> fixture(const char* name) {
  std::ifstream file(std::string(LUMISCENE_TEST_DATA) + "/pictures/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(PictureMemoryTest, ATinyFileDeclaringAHugePictureIsHeldOnce) {
  const std::vector<uint8_t> bytes = fixture("declares_4096x4096.jpg");
  ASSERT_LT(bytes.size(), 1000u);
  const size_t pictureBytes = size_t{4096} * 4096 * sizeof(uint32_t);
  std::unique_ptr<Image> picture;
  const size_t before = liveBytes;
  peakBytes = liveBytes;
  ASSERT_TRUE(decodePicture(picture, bytes.data(), static_cast<int32_t>(bytes.size())));
  ASSERT_EQ(picture->width, 4096);
  ASSERT_EQ(picture->height, 4096);
  // The decoder's own tables and rows are small beside the pixels; a second
  // copy of the pixels is not.
  EXPECT_LT(peakBytes - before, pictureBytes + pictureBytes / 4);
  // The pixels the decoder wrote are the Image's (the file's data runs out early: grey).
  EXPECT_EQ(*picture->pixelAt(4095, 4095) >> 24, 0u);
  EXPECT_EQ(*picture->pixelAt(4095, 4095), *picture->pixelAt(2000, 3000));
}

TEST(PictureMemoryTest, CentringOnTheCanvasKeepsOnlyTheCanvas) {
  const std::vector<uint8_t> bytes = fixture("declares_4096x4096.jpg");
  std::unique_ptr<Image> picture;
  ASSERT_TRUE(decodePicture(picture, bytes.data(), static_cast<int32_t>(bytes.size())));
  const size_t before = liveBytes;
  peakBytes = liveBytes;
  std::unique_ptr<Image> canvas = makeCanvas(640, 480, *picture);
  EXPECT_LT(peakBytes - before, size_t{640} * 480 * sizeof(uint32_t) + 4096);
  picture.reset();
  EXPECT_EQ(canvas->width, 640);
  EXPECT_EQ(canvas->height, 480);
}

}  // namespace
}  // namespace lumiscene
