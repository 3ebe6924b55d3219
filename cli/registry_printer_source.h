#pragma once
// Windows: the printers the usbprint service recorded, found by the same walk as the main window's discovery.
#include "cli/attached_printer.h"
#include "platform/interfaces/registry.h"

namespace ctl {

class RegistryPrinterSource : public PrinterSource {
 public:
  explicit RegistryPrinterSource(platform::Registry& registry) : registry_(registry) {}
  std::vector<AttachedPrinter> List() override;

 private:
  platform::Registry& registry_;
};

}  // namespace ctl
