#pragma once
// JSON as the tool writes it: objects keep their fields in the order they were set.
#include <nlohmann/json.hpp>

#include <string>

namespace ctl {
using Json = nlohmann::ordered_json;

// The JSON text of `json`. Texts that are not valid UTF-8 (a device path is whatever bytes the system gives) come
// out with U+FFFD in place of the bad bytes instead of stopping the program.
inline std::string JsonText(const Json& json, int indent = -1) {
  return json.dump(indent, ' ', false, Json::error_handler_t::replace);
}
}  // namespace ctl
