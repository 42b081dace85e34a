// Loading the pictures from the program's resources, in an executable that
// carries none of its own: the test adds them one by one.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "pictures/embedded_pictures.h"
#include "pictures/scramble_key.h"
#include "platform/portable/resource_table.h"
#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "scene/image.h"

namespace lumiscene {
namespace {

std::vector<uint8_t> storedForm(const char* fixture) {
  std::ifstream file(std::string(LUMISCENE_TEST_DATA) + "/jpeg/" + fixture, std::ios::binary);
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  descramble(bytes.data(), static_cast<int32_t>(bytes.size()), scrambleSeed, scrambleWidth);
  return bytes;
}

// The resource table keeps what it is given for the life of the process, so
// the cases build on each other in one test.
TEST(PictureLoaderTest, MissingOrUndecodablePicturesEndTheStartUp) {
  EXPECT_FALSE(loadPictures());
  EXPECT_FALSE(picture1);

  static const std::vector<uint8_t> inset = storedForm("b444_q75_64x48.jpg");
  ASSERT_FALSE(inset.empty());
  ASSERT_TRUE(portable::registerResource(LUMISCENE_PICTURE_TYPE, MAKEINTRESOURCEA(IDR_INSET_PICTURE), inset.data(),
                                         static_cast<uint32_t>(inset.size())));
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  ASSERT_TRUE(findResourceData(IDR_INSET_PICTURE, LUMISCENE_PICTURE_TYPE, data, size));
  EXPECT_EQ(size, inset.size());
  EXPECT_FALSE(loadPictures()) << "the panorama is still missing";

  // Present but not a picture: the bytes are left unscrambled, so they descramble into noise.
  static std::vector<uint8_t> broken = storedForm("b420_q75_64x48.jpg");
  descramble(broken.data(), static_cast<int32_t>(broken.size()), scrambleSeed, scrambleWidth);
  ASSERT_TRUE(portable::registerResource(LUMISCENE_PICTURE_TYPE, MAKEINTRESOURCEA(IDR_PANORAMA_PICTURE),
                                         broken.data(), static_cast<uint32_t>(broken.size())));
  EXPECT_FALSE(loadPictures());

  // The resources themselves are never changed by loading.
  std::vector<uint8_t> copy;
  ASSERT_TRUE(loadResourceCopy(IDR_INSET_PICTURE, LUMISCENE_PICTURE_TYPE, copy));
  EXPECT_EQ(copy, inset);
}

}  // namespace
}  // namespace lumiscene
