// The registry calls, written against the API alone so that the same cases run
// against Wine's registry: creating and opening keys, values by name without
// regard to case, and the size handshake of RegQueryValueExA.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

constexpr const char* testKey = "Software\\LumisceneRegistryTest";

HKEY createTestKey() {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, testKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  // Another run may have left values behind (a real registry outlives the process).
  RegDeleteValueA(key, "Text");
  RegDeleteValueA(key, "Number");
  return key;
}

void setText(HKEY key, const char* name, const char* text) {
  ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           static_cast<DWORD>(std::strlen(text) + 1)),
            ERROR_SUCCESS);
}

TEST(RegistryTest, AKeyIsMadeOnceAndThenOpened) {
  HKEY first = createTestKey();
  RegCloseKey(first);
  HKEY again = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, testKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                            nullptr, &again, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  RegCloseKey(again);
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\lumisceneregistrytest", 0, KEY_READ, &opened),
            ERROR_SUCCESS);
  RegCloseKey(opened);
  HKEY missing = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\LumisceneNeverMade", 0, KEY_READ, &missing),
            ERROR_FILE_NOT_FOUND);
}

TEST(RegistryTest, AStringIsReadBackWithItsSizeAndType) {
  HKEY key = createTestKey();
  setText(key, "Text", "C:\\Photos\\coast.jpg");
  DWORD type = 0, size = 0;
  // Without a buffer: the size with the terminating zero.
  ASSERT_EQ(RegQueryValueExA(key, "TEXT", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 20u);
  // A buffer too small is left for the caller to grow; the size needed comes back.
  char small[8] = {};
  size = sizeof(small);
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 20u);
  char text[64] = {};
  size = sizeof(text);
  ASSERT_EQ(RegQueryValueExA(key, "text", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, "C:\\Photos\\coast.jpg");
  EXPECT_EQ(size, 20u);
  // Setting it again replaces it, type and all.
  const DWORD number = 42;
  ASSERT_EQ(RegSetValueExA(key, "Text", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number)),
            ERROR_SUCCESS);
  size = 0;
  ASSERT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(size, sizeof(number));
  RegCloseKey(key);
}

TEST(RegistryTest, ADeletedValueIsGone) {
  HKEY key = createTestKey();
  setText(key, "Number", "7");
  EXPECT_EQ(RegDeleteValueA(key, "number"), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Number", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "Number"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  // Values stay in the key after its handle is closed.
  HKEY reopened = createTestKey();
  setText(reopened, "Text", "kept");
  RegCloseKey(reopened);
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, testKey, 0, KEY_READ, &opened), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(opened, "Text", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 5u);
  RegCloseKey(opened);
}

}  // namespace
