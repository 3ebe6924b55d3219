#pragma once
// The installer's own product table: which USB product identifier names which printer model.
#include <array>
#include <string_view>

namespace omblet {

struct ModelRow {
  std::string_view key;            // four hexadecimal characters, upper case
  std::string_view alternateKey;   // a second identifier of the same model, or empty
  std::string_view modelName;      // printer name and driver model name in the driver package
  std::string_view captionSuffix;  // appended to the window caption on a match, or empty
  bool noInvoiceDriver;            // the model gets the standard driver only
};

inline constexpr bool kWithInvoice = false;
inline constexpr bool kStandardOnly = true;

extern const std::array<ModelRow, 209> kModelTable;

// The first row, in table order, one of whose keys equals `pid` exactly (letter case counts); nullptr when none.
const ModelRow* FindModel(std::string_view pid);

}  // namespace omblet
