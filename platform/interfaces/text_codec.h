#pragma once
// The system's ANSI code page: the bytes that registry, device and spooler texts carry.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class TextCodec {
 public:
  virtual ~TextCodec() = default;
  // UTF-8 text of ANSI-coded bytes.
  virtual std::string AnsiToUtf8(std::string_view ansi) = 0;
  // ANSI bytes of UTF-8 text, or nothing when a character has no ANSI form.
  virtual std::optional<std::string> Utf8ToAnsi(std::string_view utf8) = 0;
};

}  // namespace platform
