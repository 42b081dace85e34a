// Descrambling, decoding into Images and the inset canvas.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "pictures/embedded_pictures.h"
#include "pictures/random.h"
#include "pictures/scramble_key.h"
#include "scene/image.h"

namespace lumiscene {
namespace {

std::vector<uint8_t> sampleBytes() {
  std::vector<uint8_t> bytes(300);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  return bytes;
}

std::vector<uint8_t> readFixture(const char* name) {
  std::ifstream file(std::string(LUMISCENE_TEST_DATA) + "/jpeg/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(DescrambleTest, RefusesBadArgumentsAndChangesNothing) {
  const std::vector<uint8_t> original = sampleBytes();
  std::vector<uint8_t> bytes = original;
  EXPECT_FALSE(descramble(nullptr, 10, 1, 8));
  EXPECT_FALSE(descramble(bytes.data(), -1, 1, 8));
  EXPECT_FALSE(descramble(bytes.data(), 10, 1, 0));
  EXPECT_FALSE(descramble(bytes.data(), 10, 1, 33));
  EXPECT_FALSE(descramble(bytes.data(), 10, 1, -5));
  EXPECT_TRUE(descramble(bytes.data(), 0, 1, 8));
  EXPECT_EQ(bytes, original);
}

TEST(DescrambleTest, IsItsOwnInverseAndChangesTheData) {
  const std::vector<uint8_t> original = sampleBytes();
  std::vector<uint8_t> bytes = original;
  ASSERT_TRUE(descramble(bytes.data(), static_cast<int32_t>(bytes.size()), scrambleSeed, scrambleWidth));
  EXPECT_NE(bytes, original);
  ASSERT_TRUE(descramble(bytes.data(), static_cast<int32_t>(bytes.size()), scrambleSeed, scrambleWidth));
  EXPECT_EQ(bytes, original);
}

TEST(DescrambleTest, CombinesTheFirstByteWithTheStateAfterOneStep) {
  std::vector<uint8_t> bytes(3, 0);
  const uint32_t seed = 0xDEADBEEF;
  ASSERT_TRUE(descramble(bytes.data(), 3, seed, 32));
  const RandomGenerator generator(32);
  uint32_t x = seed;
  for (uint8_t byte : bytes) {
    x = generator.nextState(x);
    EXPECT_EQ(byte, generator.outputByte(x));
  }
}

TEST(DescrambleTest, NarrowWidthsChangeOnlyTheLowBits) {
  for (int32_t width = 1; width <= 8; ++width) {
    std::vector<uint8_t> bytes(64, 0);
    ASSERT_TRUE(descramble(bytes.data(), 64, 0x1234567, width));
    for (uint8_t byte : bytes) ASSERT_LT(byte, 1u << width) << width;
  }
}

TEST(DecodePictureTest, DecodesIntoTheSlotAndKeepsItOnFailure) {
  const std::vector<uint8_t> jpeg = readFixture("b420_q75_64x48.jpg");
  ASSERT_FALSE(jpeg.empty());
  std::unique_ptr<Image> slot;
  ASSERT_TRUE(decodePicture(slot, jpeg.data(), static_cast<int32_t>(jpeg.size())));
  ASSERT_TRUE(slot);
  EXPECT_EQ(slot->width, 64);
  EXPECT_EQ(slot->height, 48);
  for (int32_t i = 0; i < 64 * 48; ++i) ASSERT_EQ(slot->pixels[i] >> 24, 0u);

  const Image* before = slot.get();
  std::vector<uint8_t> broken(jpeg.begin(), jpeg.begin() + 20);
  broken[2] = 0x00;
  EXPECT_FALSE(decodePicture(slot, broken.data(), static_cast<int32_t>(broken.size())));
  EXPECT_EQ(slot.get(), before);
  EXPECT_FALSE(decodePicture(slot, nullptr, 0));
  EXPECT_EQ(slot.get(), before);
}

TEST(CanvasTest, FramesASmallerPictureAndCropsALargerOneEqually) {
  Image small;
  small.create(4, 2, 0x00FF0000);
  const auto framed = makeCanvas(8, 6, small);
  EXPECT_EQ(framed->pixels[0], canvasColour);
  EXPECT_EQ(*framed->pixelAt(2, 2), 0x00FF0000u);
  EXPECT_EQ(*framed->pixelAt(5, 3), 0x00FF0000u);
  EXPECT_EQ(*framed->pixelAt(6, 3), canvasColour);
  EXPECT_EQ(*framed->pixelAt(2, 4), canvasColour);

  Image large;
  large.create(10, 4, 0);
  for (int32_t x = 0; x < 10; ++x) *large.pixelAt(x, 1) = static_cast<uint32_t>(x);
  const auto cropped = makeCanvas(6, 2, large);
  for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(*cropped->pixelAt(x, 0), static_cast<uint32_t>(x + 2));
}

}  // namespace
}  // namespace lumiscene
