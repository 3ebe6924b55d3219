#include "platform/fakes/fake_registry.h"

#include <algorithm>
#include <cctype>

namespace fakes {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

bool SameName(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

}  // namespace

void FakeRegistry::AddKey(std::string_view keyPath) {
  // Parents exist whenever a child does.
  const std::string lowered = Lower(keyPath);
  auto addOne = [&](size_t length) {
    auto [it, added] = keys_.try_emplace(lowered.substr(0, length));
    if (added) {
      it->second.name = std::string(keyPath.substr(0, length));
      order_.push_back(it->first);
    }
  };
  for (size_t pos = keyPath.find('\\'); pos != std::string_view::npos; pos = keyPath.find('\\', pos + 1)) addOne(pos);
  addOne(keyPath.size());
}

FakeRegistry::Key* FakeRegistry::Find(std::string_view keyPath) {
  auto it = keys_.find(Lower(keyPath));
  return it == keys_.end() ? nullptr : &it->second;
}

void FakeRegistry::SetRaw(std::string_view keyPath, std::string_view name, platform::RegistryValue value) {
  AddKey(keyPath);
  Key* key = Find(keyPath);
  for (auto& [existing, stored] : key->values) {
    if (SameName(existing, name)) {
      stored = std::move(value);
      return;
    }
  }
  key->values.emplace_back(std::string(name), std::move(value));
}

void FakeRegistry::SetString(std::string_view keyPath, std::string_view name, std::string_view value) {
  platform::RegistryValue stored{platform::RegistryType::String, {value.begin(), value.end()}};
  stored.data.push_back(0);
  SetRaw(keyPath, name, std::move(stored));
}

void FakeRegistry::SetDword(std::string_view keyPath, std::string_view name, uint32_t value) {
  platform::RegistryValue stored{platform::RegistryType::Dword, {}};
  for (int i = 0; i < 4; ++i) stored.data.push_back(static_cast<uint8_t>(value >> (8 * i)));
  SetRaw(keyPath, name, std::move(stored));
}

void FakeRegistry::RemoveValue(std::string_view keyPath, std::string_view name) {
  if (Key* key = Find(keyPath)) {
    std::erase_if(key->values, [&](const auto& entry) { return SameName(entry.first, name); });
  }
}

std::optional<platform::RegistryValue> FakeRegistry::ReadValue(std::string_view keyPath, std::string_view name) {
  ++reads;
  Key* key = Find(keyPath);
  if (!key) return std::nullopt;
  for (const auto& [existing, stored] : key->values) {
    if (SameName(existing, name)) return stored;
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> FakeRegistry::ListSubkeys(std::string_view keyPath) {
  if (!Find(keyPath)) return std::nullopt;
  std::string prefix = Lower(keyPath) + "\\";
  std::vector<std::string> names;
  for (const std::string& path : order_) {
    if (path.starts_with(prefix) && path.find('\\', prefix.size()) == std::string::npos) {
      names.push_back(keys_[path].name.substr(prefix.size()));
    }
  }
  return names;
}

std::optional<std::vector<std::string>> FakeRegistry::ListValueNames(std::string_view keyPath) {
  Key* key = Find(keyPath);
  if (!key) return std::nullopt;
  std::vector<std::string> names;
  for (const auto& entry : key->values) names.push_back(entry.first);
  return names;
}

}  // namespace fakes
