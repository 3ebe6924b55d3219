#pragma once
// JSON as the tool writes it: objects keep their fields in the order they were set.
#include <nlohmann/json.hpp>

namespace ctl {
using Json = nlohmann::ordered_json;
}  // namespace ctl
