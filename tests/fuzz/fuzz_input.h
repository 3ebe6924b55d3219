#pragma once
// Splitting a fuzzer's bytes into the pieces a target needs.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint32_t Number() { return Byte() | Byte() << 8 | Byte() << 16 | static_cast<uint32_t>(Byte()) << 24; }
  // Up to the next newline (not included), or the rest.
  std::string Line() {
    std::string line;
    while (at_ < size_ && data_[at_] != '\n') line += static_cast<char>(data_[at_++]);
    if (at_ < size_) ++at_;
    return line;
  }
  std::vector<uint8_t> Bytes(size_t count) {
    std::vector<uint8_t> bytes;
    while (count-- > 0 && at_ < size_) bytes.push_back(data_[at_++]);
    return bytes;
  }
  std::string_view Rest() const {
    return at_ < size_ ? std::string_view(reinterpret_cast<const char*>(data_ + at_), size_ - at_) : std::string_view();
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Stops the fuzzer with a finding when an expectation fails.
inline void Expect(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace fuzz
