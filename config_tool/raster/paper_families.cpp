#include "config_tool/raster/paper_families.h"

#include <array>

namespace quorvel {

namespace {

// The printable widths are the Windows driver's (docs/driver-package.md); a roll's length only bounds one receipt,
// which ends after its last printed row.
constexpr std::array kFamilies{
    PaperFamily{"qrx-roll-58", "58 mm receipt roll", PaperKind::Roll, 5800, 100000, "om_58x1000mm_58x1000mm", 384},
    PaperFamily{"qrx-roll-80", "80 mm receipt roll", PaperKind::Roll, 8000, 100000, "om_80x1000mm_80x1000mm", 576},
    PaperFamily{"qrx-label-76x130", "76 x 130 mm labels", PaperKind::Labels, 7600, 13000, "om_76x130mm_76x130mm", 591},
    PaperFamily{"qrx-label-100x100", "100 x 100 mm labels", PaperKind::Labels, 10000, 10000,
                "om_100x100mm_100x100mm", 783},
    PaperFamily{"qrx-label-100x150", "100 x 150 mm labels", PaperKind::Labels, 10000, 15000,
                "om_100x150mm_100x150mm", 783},
    PaperFamily{"qrx-invoice-241x140", "241 x 140 mm invoice forms", PaperKind::Labels, 24100, 14000,
                "om_241x140mm_241x140mm", 1910},
};

}  // namespace

std::span<const PaperFamily> PaperFamilies() { return kFamilies; }

const PaperFamily* PaperFamilyOfDriver(std::string_view driver) {
  for (const PaperFamily& family : kFamilies) {
    if (family.driver == driver) return &family;
  }
  return nullptr;
}

}  // namespace quorvel
