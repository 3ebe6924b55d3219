#pragma once
// Names the model of a printer from its USB vendor and product identifiers.
#include <optional>
#include <string_view>

#include "config_tool/shared_state.h"
#include "platform/interfaces/controls.h"

namespace quorvel {

struct ModelIdentityControls {
  platform::Window& window;
  platform::ListBox& modelList;     // List2, "PID 类型"
  platform::ListBox& detectedList;  // List3, the detected printer
  platform::CheckBox& thermalOnly;  // Check4, "只检测热敏打印机"
};

// The model of the first table row whose identifiers equal the given ones, ignoring letter case.
std::optional<std::string_view> LookUpModel(std::string_view product, std::string_view vendor);

// Leaves the result in fields.currentModel; selects it in the model list and enters it in the detected list,
// unless a settings write is running. Without "thermal printers only", an unknown 1A86 product keeps its
// identifier as the model name.
void IdentifyModel(std::string_view product, std::string_view vendor, MainWindowFields& fields,
                   const ModelIdentityControls& controls);

}  // namespace quorvel
