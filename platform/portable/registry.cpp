// The registry subset over a map of keys held for the life of the process.
//
// A key is known by its full path, folded to lower case so that names match
// without regard to case; an open key is a handle naming that path. Handles
// are never reused, so a closed or stale one is refused instead of reaching
// another key.
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/portable/advapi.h"
#include "platform/portable/kernel.h"
#include "platform/portable/lasting.h"

struct HKEY__ {
  std::string path;
  bool open = true;
};

namespace {

struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
};
using Values = std::map<std::string, Value>;

struct Registry {
  std::map<std::string, Values> keys;
  std::vector<std::unique_ptr<HKEY__>> handles;
};

Registry& registry = portable::lasting<Registry>();

std::string folded(LPCSTR text) {
  std::string result = text != nullptr ? text : "";
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

// The open handle a key names, or null (also for the predefined root, which is no handle).
HKEY__* openHandleOf(HKEY key) {
  for (const auto& handle : registry.handles)
    if (handle.get() == key && handle->open) return handle.get();
  return nullptr;
}

// The full path a key handle names; false for a handle that is not open.
bool pathOf(HKEY key, std::string& path) {
  if (key == HKEY_CURRENT_USER) {
    path = "hkey_current_user";
    return true;
  }
  const HKEY__* handle = openHandleOf(key);
  if (handle == nullptr) return false;
  path = handle->path;
  return true;
}

bool childPath(HKEY key, LPCSTR subKey, std::string& path) {
  if (!pathOf(key, path)) return false;
  std::string below = folded(subKey);
  while (!below.empty() && below.back() == '\\') below.pop_back();
  if (!below.empty()) path += "\\" + below;
  return true;
}

HKEY openHandle(const std::string& path) {
  registry.handles.push_back(std::make_unique<HKEY__>());
  registry.handles.back()->path = path;
  return registry.handles.back().get();
}

Values* valuesOf(HKEY key) {
  std::string path;
  if (!pathOf(key, path)) return nullptr;
  auto found = registry.keys.find(path);
  return found != registry.keys.end() ? &found->second : nullptr;
}

}  // namespace

namespace portable {

void resetRegistry() {
  registry.keys.clear();
  for (auto& handle : registry.handles) handle->open = false;
}

}  // namespace portable

LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, void*, PHKEY result,
                               LPDWORD disposition) {
  std::string path;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  if (!childPath(key, subKey, path)) return ERROR_INVALID_HANDLE;
  const bool created = registry.keys.emplace(path, Values{}).second;
  if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = openHandle(path);
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, PHKEY result) {
  std::string path;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  if (!childPath(key, subKey, path)) return ERROR_INVALID_HANDLE;
  if (key != HKEY_CURRENT_USER || (subKey != nullptr && subKey[0] != '\0'))
    if (registry.keys.count(path) == 0) return ERROR_FILE_NOT_FOUND;
  *result = openHandle(path);
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
  if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  HKEY__* handle = openHandleOf(key);
  if (handle == nullptr) return ERROR_INVALID_HANDLE;
  handle->open = false;
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
  std::string path;
  if (!pathOf(key, path)) return ERROR_INVALID_HANDLE;
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  Values* values = valuesOf(key);
  if (values == nullptr) return ERROR_FILE_NOT_FOUND;
  auto found = values->find(folded(name));
  if (found == values->end()) return ERROR_FILE_NOT_FOUND;
  const Value& value = found->second;
  if (type != nullptr) *type = value.type;
  if (size == nullptr) return ERROR_SUCCESS;
  const DWORD needed = static_cast<DWORD>(value.bytes.size());
  const DWORD room = *size;
  *size = needed;
  if (data == nullptr) return ERROR_SUCCESS;
  if (room < needed) return ERROR_MORE_DATA;
  if (needed > 0) std::memcpy(data, value.bytes.data(), needed);
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
  Values* values = valuesOf(key);
  if (values == nullptr) return ERROR_INVALID_HANDLE;
  Value& value = (*values)[folded(name)];
  value.type = type;
  value.bytes.assign(data, data + size);
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR name) {
  Values* values = valuesOf(key);
  if (values == nullptr) return ERROR_INVALID_HANDLE;
  return values->erase(folded(name)) != 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}
