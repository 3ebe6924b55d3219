#pragma once
// Finds the USB printers that the usbprint service has recorded, and the brand printers Windows knows.
#include <optional>
#include <string>
#include <string_view>

#include "config_tool/link/usb_printer_walk.h"
#include "config_tool/main_window_context.h"
#include "config_tool/params/model_identity.h"
#include "config_tool/shared_state.h"
#include "platform/interfaces/controls.h"
#include "platform/interfaces/registry.h"
#include "platform/interfaces/spooler.h"

namespace quorvel {

class PrinterDiscovery {
 public:
  PrinterDiscovery(const MainWindowControls& controls, MainWindowFields& fields, const ProcessState& process,
                   platform::Registry& registry, platform::Spooler& spooler)
      : controls_(controls), fields_(fields), process_(process), registry_(registry), spooler_(spooler) {}

  void FindPrinters();
  void ShowPrinterPort();
  void ListBrandPrinters();
  void OnDetectedListClick(int row);

 private:
  ModelIdentityControls IdentityControls() const {
    return {controls_.window, controls_.list2, controls_.list3, controls_.check4};
  }

  const MainWindowControls& controls_;
  MainWindowFields& fields_;
  const ProcessState& process_;
  platform::Registry& registry_;
  platform::Spooler& spooler_;
};

}  // namespace quorvel
