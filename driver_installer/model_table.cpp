#include "driver_installer/model_table.h"

namespace omblet {

const ModelRow* FindModel(std::string_view pid) {
  for (const ModelRow& row : kModelTable) {
    if (row.key == pid || (!row.alternateKey.empty() && row.alternateKey == pid)) return &row;
  }
  return nullptr;
}

}  // namespace omblet
