#include "config_tool/raster/grey_rows.h"

#include <algorithm>

#include "config_tool/raster/page_encoder.h"

namespace quorvel {

std::string GreyPageProblem(const GreyPageShape& page, uint32_t printerDpi) {
  if (page.bitsPerPixel != 8) {
    return "the raster has " + std::to_string(page.bitsPerPixel) + " bits a pixel; this printer takes 8-bit grey";
  }
  if (page.width == 0 || page.height == 0 || page.bytesPerLine != page.width) {
    return "the raster page's header is damaged (its width, height or line length do not agree)";
  }
  if (page.xDpi != printerDpi || page.yDpi != printerDpi) {
    return "the raster is at " + std::to_string(page.xDpi) + "x" + std::to_string(page.yDpi) +
           " dpi; this printer prints at " + std::to_string(printerDpi) + " dpi";
  }
  if (page.width > kMaxRasterWidth) {
    return "the raster is " + std::to_string(page.width) + " dots wide, wider than any paper of this printer";
  }
  if (page.height > kMaxPageRows) {
    return "the page is " + std::to_string(page.height * 254 / (printerDpi * 10)) +
           " mm long; the longest page printed is 2000 mm";
  }
  return {};
}

GreyRowConverter::GreyRowConverter(uint32_t sourceWidth, uint32_t printableDots, bool blackIsHigh,
                                   const DitherMatrix& dither)
    : sourceWidth_(sourceWidth),
      printableDots_(printableDots),
      shift_((static_cast<int32_t>(sourceWidth) - static_cast<int32_t>(printableDots)) / 2),
      blackIsHigh_(blackIsHigh),
      dither_(dither),
      row_(BytesPerRow(printableDots)) {}

std::span<const uint8_t> GreyRowConverter::Convert(std::span<const uint8_t> grey, uint32_t y) {
  std::fill(row_.begin(), row_.end(), 0);
  const auto& cell = dither_[y & 15];
  const int32_t first = std::max(0, -shift_);
  const int32_t last = std::min<int32_t>(printableDots_, static_cast<int32_t>(std::min<size_t>(sourceWidth_, grey.size())) - shift_);
  for (int32_t x = first; x < last; ++x) {
    const uint8_t pixel = grey[static_cast<size_t>(x + shift_)];
    const int darkness = blackIsHigh_ ? pixel : 255 - pixel;
    // White never gets a dot and full black always does, whatever the matrix holds at the edges of its range.
    if (darkness > 0 && darkness >= 255 - cell[static_cast<size_t>(x) & 15]) {
      row_[static_cast<size_t>(x) / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  return row_;
}

}  // namespace quorvel
