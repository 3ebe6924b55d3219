#pragma once
// Product data: the model identity table and the model list of the configuration tool.
#include <array>
#include <string_view>

namespace quorvel {

struct IdentityRow {
  std::string_view vendor;   // "1A86"
  std::string_view product;  // four hexadecimal digits, in either letter case
  std::string_view model;    // brand word, blank, model code; or a bare model code
};

extern const std::array<IdentityRow, 83> kIdentityTable;
extern const std::array<std::string_view, 76> kModelList;

// The model list entry selected when the main window loads.
inline constexpr std::string_view kDefaultModel = "KESTRAMO K-208";

// Windows printers whose names begin with one of these (exact case) are the brand printers.
inline constexpr std::array<std::string_view, 3> kBrandWords = {"KESTRAMO", "Vollenby", "DRAVONIK"};

}  // namespace quorvel
