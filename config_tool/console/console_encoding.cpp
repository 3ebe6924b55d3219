#include "config_tool/console/console_encoding.h"

#include <array>
#include <optional>

namespace quorvel {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr std::array<int8_t, 256> kHexValue = [] {
  std::array<int8_t, 256> values{};
  values.fill(-1);
  for (int i = 0; i < 10; ++i) values['0' + i] = static_cast<int8_t>(i);
  for (int i = 0; i < 6; ++i) {
    values['A' + i] = static_cast<int8_t>(10 + i);
    values['a' + i] = static_cast<int8_t>(10 + i);
  }
  return values;
}();

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray continuation byte).
size_t Utf8Length(uint8_t lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

std::string EncodeDoubleByteHex(platform::TextCodec& codec, std::string_view character) {
  std::string hex;
  for (char c : codec.Utf8ToAnsi(character).value_or("")) {
    auto byte = static_cast<uint8_t>(c);
    hex += kHexDigits[byte >> 4];
    hex += kHexDigits[byte & 0x0F];
  }
  return hex;
}

TextModeResult EncodeTextMode(platform::TextCodec& codec, std::string_view text, SendBuffer& buffer) {
  const TextModeResult overflow{false, {}};
  for (size_t i = 0; i < text.size();) {
    auto lead = static_cast<uint8_t>(text[i]);
    if (lead < 0x80) {
      if (!buffer.Store(lead)) return overflow;
      ++i;
      continue;
    }
    std::string_view character = text.substr(i, Utf8Length(lead));
    i += character.size();
    std::optional<std::string> ansi = codec.Utf8ToAnsi(character);
    // Sending a substitute would garble the text.
    if (!ansi || ansi->empty()) return {false, std::string(character)};
    if (ansi->size() == 1) {
      if (!buffer.Store(static_cast<uint8_t>((*ansi)[0]))) return overflow;
      continue;
    }
    std::string hex = EncodeDoubleByteHex(codec, character);
    for (size_t pair = 0; pair + 1 < hex.size(); pair += 2) {
      auto byte = static_cast<uint8_t>(kHexValue[static_cast<uint8_t>(hex[pair])] << 4 |
                                       kHexValue[static_cast<uint8_t>(hex[pair + 1])]);
      if (!buffer.Store(byte)) return overflow;
    }
  }
  return {};
}

bool EncodeHexMode(std::string_view text, SendBuffer& buffer) {
  const auto* data = reinterpret_cast<const uint8_t*>(text.data());
  const size_t size = text.size();
  size_t p = 0;
  // The loaded-file form "HH " comes three characters at a time, written straight into the buffer; anything else
  // takes the careful path below.
  std::span<uint8_t> free = buffer.Free();
  uint8_t* out = free.data();
  uint8_t* const end = out + free.size();
  while (p + 3 <= size && data[p + 2] == ' ' && out != end) {
    const int high = kHexValue[data[p]], low = kHexValue[data[p + 1]];
    if ((high | low) < 0) break;
    *out++ = static_cast<uint8_t>(high << 4 | low);
    p += 3;
  }
  buffer.Commit(static_cast<size_t>(out - free.data()));
  while (p < size) {
    const uint8_t first = data[p];
    if (first == ' ') {
      ++p;
      continue;
    }
    const int high = kHexValue[first];
    if (high < 0) return false;
    // A digit alone (at the end, or before a space) is a number of its own, as "&H4" is.
    int value = high;
    if (p + 1 < size && data[p + 1] != ' ') {
      const int low = kHexValue[data[p + 1]];
      if (low < 0) return false;
      value = high << 4 | low;
    }
    if (!buffer.Store(static_cast<uint8_t>(value))) return false;
    p += 2;
  }
  return true;
}

bool EncodeLoadedFile(std::span<const uint8_t> file, bool hexMode, SendBuffer& buffer) {
  for (uint8_t byte : file) {
    if (hexMode) {
      if (!buffer.Store(byte)) return false;
      continue;
    }
    for (char c : {kHexDigits[byte >> 4], kHexDigits[byte & 0x0F], ' '}) {
      if (!buffer.Store(static_cast<uint8_t>(c))) return false;
    }
  }
  return true;
}

void AppendHexText(std::span<const uint8_t> bytes, std::string& text) {
  size_t at = text.size();
  text.resize(at + 3 * bytes.size());
  char* out = text.data() + at;
  for (uint8_t byte : bytes) {
    *out++ = kHexDigits[byte >> 4];
    *out++ = kHexDigits[byte & 0x0F];
    *out++ = ' ';
  }
}

void AppendCharacterText(std::span<const uint8_t> bytes, std::string& text) {
  size_t at = text.size();
  text.resize(at + bytes.size());
  char* out = text.data() + at;
  for (uint8_t byte : bytes) {
    const bool shown = byte < 0x80 && byte != 0 && byte != '\r' && byte != '\n';
    *out++ = shown ? static_cast<char>(byte) : '.';
  }
}

}  // namespace quorvel
