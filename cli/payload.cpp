#include "cli/payload.h"

#include "config_tool/console/console_encoding.h"

namespace ctl {
namespace {

Payload Built(bool ok, const quorvel::SendBuffer& buffer, std::string error) {
  Payload payload;
  payload.ok = ok;
  if (ok) {
    payload.bytes.assign(buffer.Filled().begin(), buffer.Filled().end());
  } else {
    payload.error = std::move(error);
  }
  return payload;
}

}  // namespace

Payload HexPayload(std::string_view text) {
  quorvel::SendBuffer buffer;
  const bool ok = quorvel::EncodeHexMode(text, buffer);
  return Built(ok, buffer, "not a hex byte string (pairs of 0-9, A-F, spaces between them allowed), or more than " +
                               std::to_string(quorvel::kSendBufferSize) + " bytes");
}

Payload TextPayload(platform::TextCodec& codec, std::string_view text) {
  quorvel::SendBuffer buffer;
  const quorvel::TextModeResult result = quorvel::EncodeTextMode(codec, text, buffer);
  if (!result.unencodable.empty()) {
    return Built(false, buffer, "the character \"" + result.unencodable + "\" has no form in the printer's code page");
  }
  return Built(result.ok, buffer, "the text is longer than " + std::to_string(quorvel::kSendBufferSize) + " bytes");
}

}  // namespace ctl
