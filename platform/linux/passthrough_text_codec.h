#pragma once
// Linux has no ANSI code page: text goes to the printer as the UTF-8 bytes it came in.
#include "platform/interfaces/text_codec.h"

namespace linux_platform {

class PassThroughTextCodec : public platform::TextCodec {
 public:
  std::string AnsiToUtf8(std::string_view ansi) override { return std::string(ansi); }
  std::optional<std::string> Utf8ToAnsi(std::string_view utf8) override { return std::string(utf8); }
};

}  // namespace linux_platform
