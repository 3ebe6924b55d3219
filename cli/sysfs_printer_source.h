#pragma once
// Linux: the printers of the kernel's USB printer driver, /dev/usb/lpN, with their identity from sysfs.
#include <filesystem>

#include "cli/attached_printer.h"
#include "platform/interfaces/printer_device.h"

namespace ctl {

class SysfsPrinterSource : public PrinterSource {
 public:
  // `sysRoot` is /sys and `devRoot` /dev on a real system; tests point both at trees of their own. Where sysfs
  // lacks the identifiers, the driver is asked through `devices`.
  SysfsPrinterSource(std::filesystem::path sysRoot, std::filesystem::path devRoot, platform::PrinterDevices& devices)
      : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)), devices_(devices) {}

  std::vector<AttachedPrinter> List() override;

 private:
  std::filesystem::path sysRoot_, devRoot_;
  platform::PrinterDevices& devices_;
};

// The number of an "lpN" name; nothing for any other name.
std::optional<unsigned> LpNumber(std::string_view name);

// The device name a uevent file gives (DEVNAME=usb/lp0 gives usb/lp0); nothing when it names none.
std::optional<std::string> DevNameOf(std::string_view uevent);

}  // namespace ctl
