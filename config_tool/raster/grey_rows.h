#pragma once
// Eight-bit grey raster rows as a page's client or the image decoder hands them over, made into the one-bit rows
// of the printable width: checked first, then centred on the medium (cropped or padded) and dithered.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quorvel {

// What a raster page's header says about its pixels.
struct GreyPageShape {
  uint32_t width = 0, height = 0;
  uint32_t bitsPerPixel = 0;
  uint32_t bytesPerLine = 0;
  uint32_t xDpi = 0, yDpi = 0;
  bool blackIsHigh = false;  // device black (0 is white); otherwise grey, 255 white
};

// The longest page printed: 2 m. A longer one is a mistake (a page of metres wastes a roll) or an attack.
inline constexpr uint32_t kMaxPageRows = 2000 * 8;  // 2000 mm at 203 dpi, rounded up
// The widest raster taken, a quarter more than the widest medium's.
inline constexpr uint32_t kMaxRasterWidth = 2400;

// Why the page cannot be printed, for the job's message; empty when it can.
std::string GreyPageProblem(const GreyPageShape& page, uint32_t printerDpi);

using DitherMatrix = std::array<std::array<uint8_t, 16>, 16>;

// Makes rows of `sourceWidth` grey pixels into rows of `printableDots` dots, the middles of both on top of each
// other (a medium's raster is wider than what the head prints).
class GreyRowConverter {
 public:
  GreyRowConverter(uint32_t sourceWidth, uint32_t printableDots, bool blackIsHigh, const DitherMatrix& dither);

  // `grey` holds at least sourceWidth pixels; the result holds BytesPerRow(printableDots) bytes.
  std::span<const uint8_t> Convert(std::span<const uint8_t> grey, uint32_t y);

 private:
  uint32_t sourceWidth_;
  uint32_t printableDots_;
  int32_t shift_;  // source column of the first printed dot (negative: white on the left)
  bool blackIsHigh_;
  DitherMatrix dither_;
  std::vector<uint8_t> row_;
};

}  // namespace quorvel
