// FindResourceA and its companions over the resource table.
//
// Types and names match as Windows matches them: integer ids by value,
// "#123" strings as the id 123, other strings without regard to case.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/portable/kernel.h"
#include "platform/portable/lasting.h"
#include "platform/portable/resource_table.h"

struct HRSRC__ {
  uintptr_t typeId = 0;
  std::string typeName;
  uintptr_t nameId = 0;
  std::string name;
  const void* data = nullptr;
  uint32_t size = 0;
};

namespace {

struct Key {
  uintptr_t id = 0;
  std::string name;  // upper case; empty when the key is an id
};

Key keyOf(LPCSTR value) {
  Key key;
  if (IS_INTRESOURCE(value)) {
    key.id = reinterpret_cast<uintptr_t>(value);
    return key;
  }
  if (value[0] == '#') {
    char* end = nullptr;
    const unsigned long number = std::strtoul(value + 1, &end, 10);
    if (end != value + 1 && *end == '\0' && number > 0 && number <= 0xFFFF) {
      key.id = number;
      return key;
    }
  }
  for (const char* at = value; *at != '\0'; ++at)
    key.name += static_cast<char>(*at >= 'a' && *at <= 'z' ? *at - 'a' + 'A' : *at);
  return key;
}

bool matches(uintptr_t id, const std::string& name, const Key& key) {
  return key.id != 0 ? id == key.id : name == key.name;
}

std::vector<std::unique_ptr<HRSRC__>>& table() {
  static std::vector<std::unique_ptr<HRSRC__>>& entries =
      portable::lasting<std::vector<std::unique_ptr<HRSRC__>>>();
  static bool builtInsAdded = false;
  if (!builtInsAdded) {
    builtInsAdded = true;
    portable::registerProgramResources();
  }
  return entries;
}

HRSRC__* find(LPCSTR type, LPCSTR name) {
  if (type == nullptr || name == nullptr) return nullptr;
  const Key typeKey = keyOf(type), nameKey = keyOf(name);
  for (const auto& entry : table())
    if (matches(entry->typeId, entry->typeName, typeKey) && matches(entry->nameId, entry->name, nameKey))
      return entry.get();
  return nullptr;
}

bool isProgramModule(HMODULE module) { return module == nullptr || module == GetModuleHandleA(nullptr); }

bool isEntry(HRSRC resource) {
  for (const auto& entry : table())
    if (entry.get() == resource) return true;
  return false;
}

}  // namespace

namespace portable {

bool registerResource(LPCSTR type, LPCSTR name, const void* data, uint32_t size) {
  if (type == nullptr || name == nullptr || (data == nullptr && size != 0)) return false;
  if (find(type, name) != nullptr) return false;
  auto entry = std::make_unique<HRSRC__>();
  const Key typeKey = keyOf(type), nameKey = keyOf(name);
  entry->typeId = typeKey.id;
  entry->typeName = typeKey.name;
  entry->nameId = nameKey.id;
  entry->name = nameKey.name;
  entry->data = data;
  entry->size = size;
  table().push_back(std::move(entry));
  return true;
}

const void* findResourceData(LPCSTR type, LPCSTR name, uint32_t* size) {
  const HRSRC__* entry = find(type, name);
  if (size != nullptr) *size = entry != nullptr ? entry->size : 0;
  return entry != nullptr ? entry->data : nullptr;
}

}  // namespace portable

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  if (!isProgramModule(module)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HRSRC__* entry = find(type, name);
  if (entry == nullptr) SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return entry;
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
  if (!isProgramModule(module) || resource == nullptr || !isEntry(resource)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return const_cast<void*>(resource->data);
}

LPVOID WINAPI LockResource(HGLOBAL loaded) { return loaded; }

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
  if (!isProgramModule(module) || resource == nullptr || !isEntry(resource)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return resource->size;
}
