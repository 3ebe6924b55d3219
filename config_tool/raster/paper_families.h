#pragma once
// The paper the printers' Windows driver knows, one family a driver: the medium, its printable width at 203 dpi
// and whether a page is a label or a receipt on a roll.
#include <cstdint>
#include <span>
#include <string_view>

#include "config_tool/raster/page_encoder.h"

namespace quorvel {

inline constexpr int kPrinterDpi = 203;

struct PaperFamily {
  std::string_view driver;       // the printer application's driver name: "qrx-label-100x150"
  std::string_view description;  // for people: "100 x 150 mm labels"
  PaperKind paper;
  int widthHundredthsMm;   // the medium's width
  int lengthHundredthsMm;  // a label's length; for a roll, the longest receipt
  std::string_view mediaName;    // its PWG self-describing name
  uint32_t printableDots;        // the driver's row width
};

std::span<const PaperFamily> PaperFamilies();
// Nullptr when no family has that driver name.
const PaperFamily* PaperFamilyOfDriver(std::string_view driver);

// Dots across `hundredthsMm` at 203 dpi, as a raster of that medium is wide (rounded down).
constexpr uint32_t DotsAcross(int hundredthsMm) {
  return static_cast<uint32_t>(static_cast<int64_t>(hundredthsMm) * kPrinterDpi / 2540);
}

}  // namespace quorvel
