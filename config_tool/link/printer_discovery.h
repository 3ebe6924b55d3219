#pragma once
// Finds the USB printers that the usbprint service has recorded, and the brand printers Windows knows.
#include <optional>
#include <string>
#include <string_view>

#include "config_tool/main_window_context.h"
#include "config_tool/params/model_identity.h"
#include "config_tool/shared_state.h"
#include "platform/interfaces/controls.h"
#include "platform/interfaces/registry.h"
#include "platform/interfaces/spooler.h"

namespace quorvel {


inline constexpr std::string_view kUsbprintEnumKey = "SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";
inline constexpr std::string_view kPrinterClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

// The text of a registry string value: all its characters, without the terminating NUL when it has one.
std::string RegistryText(const platform::RegistryValue& value);

// The port name Windows gives the interface with this "Port Number": USB001, USB012, USB100, USB256.
std::string PortNameFor(uint32_t portNumber);

// The 32-bit number of a registry value (REG_DWORD, or the low-order bytes of whatever was stored).
std::optional<uint32_t> RegistryNumber(const platform::RegistryValue& value);

std::string DevicePathOf(std::string_view instance);  // instance text with "#" already in place of "\"

class PrinterDiscovery {
 public:
  PrinterDiscovery(const MainWindowControls& controls, MainWindowFields& fields, const ProcessState& process,
                   platform::Registry& registry, platform::Spooler& spooler)
      : controls_(controls), fields_(fields), process_(process), registry_(registry), spooler_(spooler) {}

  void FindPrinters();
  std::string QueryUsbprintInstance(std::string_view index);
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
