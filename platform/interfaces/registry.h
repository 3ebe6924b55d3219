#pragma once
// Read-only access to HKEY_LOCAL_MACHINE. Keys are opened and closed inside each call.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Registry value types the programs read (the numbers Windows uses).
enum class RegistryType : uint32_t { None = 0, String = 1, ExpandString = 2, Binary = 3, Dword = 4, MultiString = 7 };

// A value exactly as stored: its type and all its bytes (a string keeps whatever terminator it was stored with).
struct RegistryValue {
  RegistryType type = RegistryType::None;
  std::vector<uint8_t> data;
};

class Registry {
 public:
  virtual ~Registry() = default;

  // The whole value `name` under HKLM\`keyPath`, or nothing when the key cannot be opened or the value is missing.
  virtual std::optional<RegistryValue> ReadValue(std::string_view keyPath, std::string_view name) = 0;

  // Names of the subkeys of HKLM\`keyPath` in enumeration order; nothing when the key cannot be opened.
  virtual std::optional<std::vector<std::string>> ListSubkeys(std::string_view keyPath) = 0;

  // Names of the values of HKLM\`keyPath` in enumeration order; nothing when the key cannot be opened.
  virtual std::optional<std::vector<std::string>> ListValueNames(std::string_view keyPath) = 0;
};

}  // namespace platform
