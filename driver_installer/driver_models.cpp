#include "driver_installer/driver_models.h"

#include <algorithm>

#include "driver_installer/install_command.h"
#include "driver_installer/model_table.h"

namespace omblet {

std::vector<std::string> OfferedDriverModels() {
  std::vector<std::string> names;
  auto add = [&](std::string_view name) {
    if (std::find(names.begin(), names.end(), name) == names.end()) names.emplace_back(name);
  };
  for (const ModelRow& row : kModelTable) add(row.modelName);
  for (InvoiceDriverClass c : {InvoiceDriverClass::S, InvoiceDriverClass::N, InvoiceDriverClass::SJZ}) {
    add(InvoiceDriverName(c));
  }
  add(kConfigToolDriverModel);
  return names;
}

}  // namespace omblet
