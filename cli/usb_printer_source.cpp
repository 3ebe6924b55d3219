#include "cli/usb_printer_source.h"

#include <algorithm>
#include <cstdio>

namespace ctl {
namespace {

std::string Hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof(text), "%04X", static_cast<unsigned>(value));
  return text;
}

}  // namespace

std::string NotOurPrinter(const platform::UsbDeviceRecord& device) {
  if (device.vendor != kOurVendor) {
    return "a device of vendor " + Hex4(device.vendor) + ", product " + Hex4(device.product) +
           "; quorvelctl talks only to printers of vendor " + Hex4(kOurVendor);
  }
  if (!device.printerInterface) return "a device of vendor " + Hex4(device.vendor) + " without a printer interface";
  return {};
}

std::vector<AttachedPrinter> UsbPrinterSource::List() {
  std::vector<platform::UsbDeviceRecord> devices = bus_.Devices();
  // The same order on every run: by device node, which is by bus and then by address.
  std::sort(devices.begin(), devices.end(),
            [](const platform::UsbDeviceRecord& a, const platform::UsbDeviceRecord& b) { return a.node < b.node; });
  std::vector<AttachedPrinter> printers;
  for (const platform::UsbDeviceRecord& device : devices) {
    if (!NotOurPrinter(device).empty()) continue;
    AttachedPrinter printer;
    printer.device = device.node;
    printer.vid = Hex4(device.vendor);
    printer.pid = Hex4(device.product);
    printer.model = ModelNameOf(printer.vid, printer.pid);
    printer.location = device.location;
    printer.serial = device.serial;
    printers.push_back(std::move(printer));
  }
  return printers;
}

}  // namespace ctl
