#pragma once
// One scan of the USB devices that WMI knows, looking for a supported printer.
#include <optional>
#include <string_view>

#include "driver_installer/installer_state.h"
#include "platform/interfaces/controls.h"
#include "platform/interfaces/wmi.h"

namespace omblet {

inline constexpr std::string_view kUsbDeviceQuery = "Select   *   From   Win32_USBControllerDevice";
inline constexpr std::string_view kUsbDeviceProperty = "Dependent";

struct DetectionTargets {
  platform::Window& window;   // caption suffixes, repaints
  platform::Label& progress;  // status line 2
  platform::Label& device;    // status line 3
  InstallerState& state;
};

// The invoice driver class of a product identifier, or nothing when no class applies.
std::optional<InvoiceDriverClass> ChooseInvoiceClass(std::string_view pid);

// Examines every device text once. Leaves a found printer in state.printerFound, its model in state.modelName
// and its class in state.invoiceDriverClass.
void DetectUsbPrinter(platform::Wmi& wmi, const DetectionTargets& targets);

}  // namespace omblet
