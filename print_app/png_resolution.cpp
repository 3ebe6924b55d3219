#include "print_app/png_resolution.h"

#include <array>
#include <cmath>

namespace print_app {
namespace {

uint32_t BigEndian(std::span<const uint8_t> bytes) {
  return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

constexpr std::array<uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint8_t kPerMetre = 1;

}  // namespace

int PngPixelsPerInch(std::span<const uint8_t> file) {
  if (file.size() < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), file.begin())) return 0;
  size_t at = kSignature.size();
  // The chunks before the picture data: pHYs must come before IDAT.
  while (at + 8 <= file.size()) {
    const uint32_t length = BigEndian(file.subspan(at, 4));
    const auto type = file.subspan(at + 4, 4);
    if (length > file.size() - at - 8) return 0;
    const auto data = file.subspan(at + 8, length);
    if (std::equal(type.begin(), type.end(), "IDAT")) return 0;
    if (std::equal(type.begin(), type.end(), "pHYs") && length == 9) {
      const uint32_t x = BigEndian(data.subspan(0, 4)), y = BigEndian(data.subspan(4, 4));
      if (data[8] != kPerMetre || x != y || x == 0) return 0;
      return static_cast<int>(std::lround(x * 0.0254));
    }
    at += 12 + static_cast<size_t>(length);  // length, type, data, CRC
  }
  return 0;
}

}  // namespace print_app
