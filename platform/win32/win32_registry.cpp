#include "platform/win32/win32_registry.h"

#include <windows.h>

#include "platform/win32/unique_handles.h"

namespace win32 {
namespace {

UniqueRegKey OpenForReading(std::string_view keyPath) {
  HKEY key = nullptr;
  std::string path(keyPath);
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return UniqueRegKey();
  return UniqueRegKey(key);
}

}  // namespace

std::optional<platform::RegistryValue> Win32Registry::ReadValue(std::string_view keyPath, std::string_view name) {
  UniqueRegKey key = OpenForReading(keyPath);
  if (!key) return std::nullopt;
  std::string valueName(name);
  // Start with the usual 255 bytes and grow when the value is longer: a value is always read whole.
  std::vector<uint8_t> data(255);
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data.size());
    LONG status = ::RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type, data.data(), &size);
    if (status == ERROR_MORE_DATA) {
      data.resize(size + 1);
      continue;
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    data.resize(size);
    return platform::RegistryValue{static_cast<platform::RegistryType>(type), std::move(data)};
  }
  return std::nullopt;  // the value kept growing while being read
}

std::optional<std::vector<std::string>> Win32Registry::ListSubkeys(std::string_view keyPath) {
  UniqueRegKey key = OpenForReading(keyPath);
  if (!key) return std::nullopt;
  std::vector<std::string> names;
  char name[256];  // key names are at most 255 characters
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof(name);
    if (::RegEnumKeyExA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

std::optional<std::vector<std::string>> Win32Registry::ListValueNames(std::string_view keyPath) {
  UniqueRegKey key = OpenForReading(keyPath);
  if (!key) return std::nullopt;
  std::vector<std::string> names;
  char name[16384];  // value names are at most 16383 characters
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof(name);
    if (::RegEnumValueA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

}  // namespace win32
