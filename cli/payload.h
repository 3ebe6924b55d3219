#pragma once
// What `send` sends: a hex byte string, a text, or a file's bytes, built as the command console builds its sends.
#include <string>
#include <string_view>
#include <vector>

#include "platform/interfaces/text_codec.h"

namespace ctl {

struct Payload {
  bool ok = false;
  std::vector<uint8_t> bytes;
  std::string error;
};

// "1B 40" and "1B40" alike; spaces are skipped.
Payload HexPayload(std::string_view text);

// Each character as the code page's bytes (the ANSI code page on Windows, UTF-8 on Linux).
Payload TextPayload(platform::TextCodec& codec, std::string_view text);

}  // namespace ctl
