// The program's resources: found by id and type as FindResourceA finds them,
// and those the build adds.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/portable/resource_table.h"
#include "resources/resource_ids.h"
#include "tests/platform/test_support.h"

namespace {

TEST(ResourcesTest, TheProgramsMenuAcceleratorsDialogAndIconAreThere) {
  HMODULE module = GetModuleHandleA(nullptr);
  EXPECT_NE(LoadMenuA(module, MAKEINTRESOURCEA(IDR_MAIN_MENU)), nullptr);
  EXPECT_NE(LoadMenuA(module, "#102"), nullptr) << "a \"#id\" name is the id";
  EXPECT_NE(LoadAcceleratorsA(module, MAKEINTRESOURCEA(IDR_ACCELERATORS)), nullptr);
  EXPECT_NE(LoadIconA(module, MAKEINTRESOURCEA(IDI_LUMISCENE)), nullptr);
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(IDD_ABOUT), RT_DIALOG), nullptr);
  EXPECT_EQ(LoadMenuA(module, MAKEINTRESOURCEA(103)), nullptr);
  EXPECT_NE(LoadCursorA(nullptr, IDC_HELP), nullptr);
}

TEST(ResourcesTest, BinaryResourcesAreFoundOnceTheBuildAddsThem) {
  HMODULE module = GetModuleHandleA(nullptr);
  EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(IDR_INSET_PICTURE), LUMISCENE_PICTURE_TYPE), nullptr);
  static const unsigned char bytes[] = {0xFF, 0xD8, 0xFF, 0xD9};
  ASSERT_TRUE(
      portable::registerResource(LUMISCENE_PICTURE_TYPE, MAKEINTRESOURCEA(IDR_INSET_PICTURE), bytes, 4));
  EXPECT_FALSE(portable::registerResource("jpgdata", MAKEINTRESOURCEA(IDR_INSET_PICTURE), bytes, 4))
      << "types match without regard to case";
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_INSET_PICTURE), "jpgData");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(module, found), 4u);
  const void* data = LockResource(LoadResource(module, found));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::memcmp(data, bytes, 4), 0);
  EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(IDR_PANORAMA_PICTURE), LUMISCENE_PICTURE_TYPE), nullptr);
  EXPECT_EQ(FindResourceA(module, nullptr, LUMISCENE_PICTURE_TYPE), nullptr);
  EXPECT_EQ(LoadResource(module, nullptr), nullptr);
  EXPECT_EQ(SizeofResource(module, nullptr), 0u);
  EXPECT_EQ(GetModuleHandleA("kernel32.dll"), nullptr);
}

}  // namespace
