#pragma once
// In-memory HKEY_LOCAL_MACHINE. Key paths compare without regard to letter case, as Windows does.
#include <map>
#include <string>

#include "platform/interfaces/registry.h"

namespace fakes {

class FakeRegistry : public platform::Registry {
 public:
  void AddKey(std::string_view keyPath);
  // A REG_SZ stored the usual way, with its terminating NUL.
  void SetString(std::string_view keyPath, std::string_view name, std::string_view value);
  void SetDword(std::string_view keyPath, std::string_view name, uint32_t value);
  void SetRaw(std::string_view keyPath, std::string_view name, platform::RegistryValue value);
  void RemoveValue(std::string_view keyPath, std::string_view name);

  std::optional<platform::RegistryValue> ReadValue(std::string_view keyPath, std::string_view name) override;
  std::optional<std::vector<std::string>> ListSubkeys(std::string_view keyPath) override;
  std::optional<std::vector<std::string>> ListValueNames(std::string_view keyPath) override;

  int reads = 0;  // how many ReadValue calls were made

 private:
  struct Key {
    std::string name;  // as written, for listing
    std::vector<std::pair<std::string, platform::RegistryValue>> values;
  };
  Key* Find(std::string_view keyPath);
  std::map<std::string, Key> keys_;  // by lower-cased full path; insertion order kept in order_
  std::vector<std::string> order_;
};

}  // namespace fakes
