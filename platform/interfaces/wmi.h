#pragma once
// The WMI scripting service (root\cimv2).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Wmi {
 public:
  virtual ~Wmi() = default;
  // Runs `query` and reads `property` of every returned object as text, in the order WMI returns them.
  // Nothing when the service cannot be reached or the query fails.
  virtual std::optional<std::vector<std::string>> QueryProperty(std::string_view query, std::string_view property) = 0;
};

}  // namespace platform
