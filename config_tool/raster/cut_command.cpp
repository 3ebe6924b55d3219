#include "config_tool/raster/cut_command.h"

namespace quorvel {
namespace {

constexpr uint8_t kEsc = 0x1B, kGs = 0x1D;
constexpr size_t kBlockHeader = 8;  // GS v 0 m xL xH yL yH

// How many bytes the command that starts with `command` has in all, as far as its first bytes tell; 0 while that
// is not known yet.
// The raster bytes a complete GS v 0 header announces: bytes a row times rows.
uint64_t RasterBytes(const std::vector<uint8_t>& header) {
  const uint64_t rowBytes = header[4] | static_cast<unsigned>(header[5]) << 8;
  const uint64_t rows = header[6] | static_cast<unsigned>(header[7]) << 8;
  return rowBytes * rows;
}

size_t CommandLength(const std::vector<uint8_t>& command) {
  if (command.empty()) return 0;
  if (command[0] == kEsc) {
    if (command.size() < 2) return 0;
    return command[1] == 'J' ? 3 : 2;  // ESC J n; ESC @
  }
  if (command[0] == kGs) return kBlockHeader;
  return 1;  // FF, and any other single byte
}

}  // namespace

void CommandStream::Took(std::span<const uint8_t> bytes) {
  for (size_t at = 0; at < bytes.size();) {
    if (rasterLeft_ > 0) {
      const uint64_t step = std::min<uint64_t>(rasterLeft_, bytes.size() - at);
      rasterLeft_ -= step;
      at += step;
      continue;
    }
    command_.push_back(bytes[at++]);
    const size_t length = CommandLength(command_);
    if (length == 0 || command_.size() < length) continue;
    if (command_[0] == kGs) {
      rasterLeft_ = RasterBytes(command_);
    }
    command_.clear();
  }
}

std::vector<uint8_t> CommandStream::Completion() const {
  std::vector<uint8_t> rest;
  if (!command_.empty()) {
    if (command_[0] == kEsc && command_.size() == 1) {
      rest = {'J', 0};  // a feed of nothing
    } else {
      // Zeros for what is missing: no feed, or a raster block's missing sizes (its part already sent still counts).
      const size_t length = CommandLength(command_);
      rest.assign(length - command_.size(), 0);
      if (command_[0] == kGs) {
        std::vector<uint8_t> header = command_;
        header.resize(kBlockHeader, 0);
        rest.resize(rest.size() + RasterBytes(header), 0);
      }
    }
  }
  rest.resize(rest.size() + rasterLeft_, 0);  // white
  return rest;
}

}  // namespace quorvel
