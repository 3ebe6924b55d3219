#pragma once
// Small text helpers of the installer. Positions are 0-based.
#include <string>
#include <string_view>
#include <vector>

namespace omblet {

// Up to `count` characters from `start`; empty past the end.
inline std::string_view Mid(std::string_view text, size_t start, size_t count) {
  return start >= text.size() ? std::string_view() : text.substr(start, count);
}

inline std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

inline std::string JoinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : "、") + name;
  return joined;
}

}  // namespace omblet
