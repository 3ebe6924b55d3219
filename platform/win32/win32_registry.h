#pragma once
#include "platform/interfaces/registry.h"

namespace win32 {

// HKEY_LOCAL_MACHINE through the A functions, opened with KEY_READ for each call.
class Win32Registry : public platform::Registry {
 public:
  std::optional<platform::RegistryValue> ReadValue(std::string_view keyPath, std::string_view name) override;
  std::optional<std::vector<std::string>> ListSubkeys(std::string_view keyPath) override;
  std::optional<std::vector<std::string>> ListValueNames(std::string_view keyPath) override;
};

}  // namespace win32
