#pragma once
// Small text helpers of the configuration tool.
#include <string>
#include <string_view>

namespace quorvel {

inline std::string ToUpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

// Like the BASIC Mid$: up to `count` characters from the 0-based `start`, empty past the end.
inline std::string_view Mid(std::string_view text, size_t start, size_t count) {
  return start >= text.size() ? std::string_view() : text.substr(start, count);
}

inline std::string ReplaceAll(std::string_view text, char from, char to) {
  std::string replaced(text);
  for (char& c : replaced) {
    if (c == from) c = to;
  }
  return replaced;
}

}  // namespace quorvel
