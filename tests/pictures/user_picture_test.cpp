// Loading a user's picture from a file: what is refused (and that the built-in
// picture then stays), and what a good file becomes in each role.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "pictures/embedded_pictures.h"
#include "pictures/user_picture.h"
#include "scene/image.h"

namespace lumiscene {
namespace {

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string fixture(const std::string& name) { return std::string(LUMISCENE_TEST_DATA) + "/" + name; }

std::string writeTemp(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = (std::filesystem::path(testing::TempDir()) / name).string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// The offset of the byte after a start-of-frame marker (its segment length).
size_t frameHeader(const std::vector<uint8_t>& jpeg) {
  for (size_t i = 2; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i + 2;
  return 0;
}

std::unique_ptr<Image> sentinel() {
  auto image = std::make_unique<Image>();
  image->create(3, 2, 0x00ABCDEF);
  return image;
}

// Loads the file into a slot holding a stand-in for the built-in picture, and
// checks that it is refused, left in place, and that the message names the file
// and says why.
void expectRefused(const std::string& path, PictureRole role, const std::string& why) {
  SCOPED_TRACE(path);
  std::unique_ptr<Image> slot = sentinel();
  const Image* builtIn = slot.get();
  std::string message;
  EXPECT_FALSE(loadUserPicture(path, role, slot, message));
  EXPECT_EQ(slot.get(), builtIn);
  EXPECT_EQ(slot->width, 3);
  EXPECT_NE(message.find(path), std::string::npos) << message;
  EXPECT_NE(message.find(why), std::string::npos) << message;
}

TEST(UserPictureTest, RefusedFilesLeaveTheBuiltInPictureAndSayWhy) {
  const std::vector<uint8_t> good = readFile(fixture("jpeg/b420_q75_64x48.jpg"));
  const size_t sof = frameHeader(good);
  ASSERT_GT(sof, 0u);

  const std::string text =
      writeTemp("notes.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'});
  expectRefused(text, PictureRole::panorama, "not a JPEG picture (error -217 NoStartOfImage)");

  std::vector<uint8_t> half(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
  expectRefused(writeTemp("truncated.jpg", half), PictureRole::inset,
                "the JPEG decoder refuses it (error -227");

  std::vector<uint8_t> huge = good;
  huge[sof + 3] = huge[sof + 4] = huge[sof + 5] = huge[sof + 6] = 0xFF;
  expectRefused(writeTemp("huge.jpg", huge), PictureRole::panorama,
                "65535 pixels high, more than the 8192 allowed");
  huge[sof + 3] = 0x20;
  huge[sof + 4] = 0x00;
  expectRefused(writeTemp("wide.jpg", huge), PictureRole::inset,
                "65535 pixels wide, more than the 8192 allowed");

  std::vector<uint8_t> twelveBit = good;
  twelveBit[sof + 2] = 12;
  expectRefused(writeTemp("twelve.jpg", twelveBit), PictureRole::panorama, "PrecisionNot8");

  expectRefused(fixture("pictures/arithmetic_64x48.jpg"), PictureRole::inset, "ArithmeticCoding");
  expectRefused(fixture("pictures/no-such-picture.jpg"), PictureRole::panorama, "cannot be read");
  expectRefused(testing::TempDir(), PictureRole::panorama, "cannot be read");
}

TEST(UserPictureTest, AFileOverTheSizeLimitIsRefusedUnread) {
  // A good picture with trailing padding: at the limit it is read, one byte over it is not.
  const std::string path = writeTemp("large.jpg", readFile(fixture("jpeg/b420_q75_64x48.jpg")));
  std::filesystem::resize_file(path, maxUserPictureBytes + 1);
  expectRefused(path, PictureRole::panorama, "the file is 67108865 bytes, more than the 64 MB allowed");
  std::filesystem::resize_file(path, maxUserPictureBytes);
  std::unique_ptr<Image> slot;
  std::string message;
  EXPECT_TRUE(loadUserPicture(path, PictureRole::panorama, slot, message)) << message;
  std::filesystem::remove(path);
}

TEST(UserPictureTest, APictureOfItsTargetSizeIsDecodedUnchanged) {
  // Progressive ones too, down to one pixel, which no reduced decoding may touch.
  for (const char* name : {"p420_q75_80x60", "p444_q75_1x1", "pgrey_q75_9x7", "b420_q75_63x1"}) {
    SCOPED_TRACE(name);
    const std::string path = fixture(std::string("jpeg/") + name + ".jpg");
    const std::vector<uint8_t> bytes = readFile(path);
    std::unique_ptr<Image> decoded;
    ASSERT_TRUE(decodePicture(decoded, bytes.data(), static_cast<int32_t>(bytes.size())));
    const auto expected = makeCanvas(userCanvasWidth, userCanvasHeight, *decoded);

    std::unique_ptr<Image> inset = sentinel();
    std::string message;
    ASSERT_TRUE(loadUserPicture(path, PictureRole::inset, inset, message)) << message;
    ASSERT_EQ(inset->width, expected->width);
    ASSERT_EQ(inset->height, expected->height);
    for (int32_t y = 0; y < expected->height; ++y)
      for (int32_t x = 0; x < expected->width; ++x)
        ASSERT_EQ(*inset->pixelAt(x, y), *expected->pixelAt(x, y));
  }
}

TEST(UserPictureTest, ASmallPanoramaIsEnlargedSmoothlyToCoverTheFrame) {
  const std::vector<uint8_t> bytes = readFile(fixture("jpeg/b444_q75_64x48.jpg"));
  std::unique_ptr<Image> decoded;
  ASSERT_TRUE(decodePicture(decoded, bytes.data(), static_cast<int32_t>(bytes.size())));
  std::unique_ptr<Image> panorama;
  std::string message;
  ASSERT_TRUE(loadUserPicture(fixture("jpeg/b444_q75_64x48.jpg"), PictureRole::panorama, panorama, message));
  ASSERT_EQ(panorama->width, 640);
  ASSERT_EQ(panorama->height, 480);
  EXPECT_EQ(*panorama->pixelAt(0, 0), *decoded->pixelAt(0, 0));
  EXPECT_EQ(*panorama->pixelAt(639, 479), *decoded->pixelAt(63, 47));
  // Ten times larger: every pixel lies between the four source pixels around
  // its centre, channel by channel (no ringing, no blocks copied from elsewhere).
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      const int32_t sx = std::max(0, (x - 5) / 10), sy = std::max(0, (y - 5) / 10);
      for (int32_t shift = 0; shift < 24; shift += 8) {
        uint32_t low = 255, high = 0;
        for (int32_t dy = 0; dy < 2; ++dy) {
          for (int32_t dx = 0; dx < 2; ++dx) {
            const uint32_t v =
                *decoded->pixelAt(std::min(sx + dx, 63), std::min(sy + dy, 47)) >> shift & 0xFF;
            low = std::min(low, v);
            high = std::max(high, v);
          }
        }
        const uint32_t v = *panorama->pixelAt(x, y) >> shift & 0xFF;
        ASSERT_TRUE(v >= low && v <= high) << x << ", " << y;
      }
    }
  }
}

TEST(UserPictureTest, ChosenPicturesReplaceTheBuiltInOnesOneByOne) {
  picture1 = sentinel();
  picture2 = sentinel();
  const Image* builtInInset = picture2.get();
  userPanoramaPath = fixture("jpeg/b420_q75_64x48.jpg");
  userInsetPath = fixture("pictures/arithmetic_64x48.jpg");
  std::vector<std::string> messages = loadChosenPictures();
  EXPECT_EQ(picture1->width, 640);
  EXPECT_EQ(picture2.get(), builtInInset);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], userInsetPath + ": the JPEG decoder refuses it (error -215 ArithmeticCoding)");

  userPanoramaPath.clear();
  userInsetPath.clear();
  const Image* panorama = picture1.get();
  EXPECT_TRUE(loadChosenPictures().empty());
  EXPECT_EQ(picture1.get(), panorama);
  picture1.reset();
  picture2.reset();
}

}  // namespace
}  // namespace lumiscene
