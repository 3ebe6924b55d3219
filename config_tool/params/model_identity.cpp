#include "config_tool/params/model_identity.h"

#include "config_tool/params/model_identity_data.h"
#include "config_tool/text_util.h"

namespace quorvel {

std::optional<std::string_view> LookUpModel(std::string_view product, std::string_view vendor) {
  const std::string wantedVendor = ToUpperAscii(vendor);
  const std::string wantedProduct = ToUpperAscii(product);
  for (const IdentityRow& row : kIdentityTable) {
    if (ToUpperAscii(row.vendor) == wantedVendor && ToUpperAscii(row.product) == wantedProduct) return row.model;
  }
  return std::nullopt;
}

void IdentifyModel(std::string_view product, std::string_view vendor, MainWindowFields& fields,
                   const ModelIdentityControls& controls) {
  controls.detectedList.Clear();
  fields.currentModel = std::string(LookUpModel(product, vendor).value_or(""));

  if (!fields.currentModel.empty() && fields.settingsWriteActive == 0) {
    for (int i = 0; i < controls.modelList.Count(); ++i) {
      if (controls.modelList.Item(i) == fields.currentModel) {
        controls.modelList.Select(i);
        break;
      }
    }
    controls.detectedList.Add(fields.currentModel);
    controls.window.Repaint();
  }

  if (controls.thermalOnly.Value() != platform::CheckValue::Checked && fields.currentModel.empty() &&
      ToUpperAscii(vendor) == "1A86") {
    fields.currentModel = std::string(product);
  }
}

}  // namespace quorvel
