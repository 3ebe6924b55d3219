#pragma once
// How the console turns the send box into bytes, and a loaded file into the texts it shows.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/interfaces/text_codec.h"

namespace quorvel {

// 3,000,001 bytes: the most one send can carry.
inline constexpr size_t kSendBufferSize = 3'000'001;

class SendBuffer {
 public:
  SendBuffer() : bytes_(kSendBufferSize) {}
  // Starts a new fill at position 0.
  void Restart() { filled_ = 0; }
  // False when the buffer is full; the byte is then not stored.
  bool Store(uint8_t byte) {
    if (filled_ == bytes_.size()) return false;
    bytes_[filled_++] = byte;
    return true;
  }
  std::span<const uint8_t> Filled() const { return {bytes_.data(), filled_}; }

  // For fills that run in a tight loop: the free space from the current position, and how much of it was used.
  std::span<uint8_t> Free() { return {bytes_.data() + filled_, bytes_.size() - filled_}; }
  void Commit(size_t used) { filled_ += used; }

 private:
  std::vector<uint8_t> bytes_;
  size_t filled_ = 0;
};

// Upper-case hex digits, two per byte, of the character's ANSI code-page bytes ("" when it has none).
std::string EncodeDoubleByteHex(platform::TextCodec& codec, std::string_view character);

struct TextModeResult {
  bool ok = true;
  std::string unencodable;  // the character without an ANSI form that stopped the send, if that was the cause
  explicit operator bool() const { return ok; }
};

// Text mode: each character as its ANSI code-page bytes (lead byte first). Not ok, with the buffer holding what was
// stored so far, when a character has no ANSI form or the buffer overflows.
TextModeResult EncodeTextMode(platform::TextCodec& codec, std::string_view text, SendBuffer& buffer);

// Hex mode: spaces are skipped, every other two characters are one byte ("1B 40" and "1B40" alike; a single digit
// at the end is one byte). False when a pair is not hexadecimal or the buffer overflows.
bool EncodeHexMode(std::string_view text, SendBuffer& buffer);

// What a send of a loaded file's whole hex text gives, without making that text: hex mode takes the file's bytes,
// text mode the characters of its hex text ("1B 40 "). False, as for the text itself, when the buffer overflows.
bool EncodeLoadedFile(std::span<const uint8_t> file, bool hexMode, SendBuffer& buffer);

// A loaded file as the send box shows it: two upper-case digits and a space per byte.
void AppendHexText(std::span<const uint8_t> bytes, std::string& text);
// A loaded file as the character view shows it: bytes below 128 as themselves, others as ".". Zero, carriage return
// and line feed are shown as "." too: a text box ends its text at a zero, and line breaks at random places of an
// image would cut the view into thousands of lines, each costing the box more time to lay out.
void AppendCharacterText(std::span<const uint8_t> bytes, std::string& text);

}  // namespace quorvel
