#include "app/picture_choice.h"

#include <vector>

#include "pictures/user_picture.h"
#include "platform/win32.h"

namespace lumiscene {

namespace {

constexpr const char* panoramaValue = "Picture1";
constexpr const char* insetValue = "Picture2";

std::string readString(HKEY key, const char* name) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
    return {};
  // Another program may have stored the string without its terminating zero.
  std::vector<char> text(static_cast<size_t>(size) + 1, '\0');
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  return std::string(text.data());
}

bool writeString(HKEY key, const char* name, const std::string& text) {
  if (text.empty()) {
    const LSTATUS status = RegDeleteValueA(key, name);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
  }
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace

PictureChoice readPictureChoice() {
  PictureChoice choice;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, pictureChoiceKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return choice;
  choice.panorama = readString(key, panoramaValue);
  choice.inset = readString(key, insetValue);
  RegCloseKey(key);
  return choice;
}

bool storePictureChoice(const PictureChoice& choice) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, pictureChoiceKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const bool stored =
      writeString(key, panoramaValue, choice.panorama) && writeString(key, insetValue, choice.inset);
  RegCloseKey(key);
  return stored;
}

bool useStoredPictureChoice() {
  const PictureChoice choice = readPictureChoice();
  if (!choice.panorama.empty()) userPanoramaPath = choice.panorama;
  if (!choice.inset.empty()) userInsetPath = choice.inset;
  return !choice.panorama.empty() || !choice.inset.empty();
}

}  // namespace lumiscene
