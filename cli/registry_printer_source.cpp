#include "cli/registry_printer_source.h"

#include "config_tool/link/usb_printer_walk.h"
#include "config_tool/text_util.h"

namespace ctl {

std::vector<AttachedPrinter> RegistryPrinterSource::List() {
  std::vector<AttachedPrinter> printers;
  for (const quorvel::UsbPrinterInterface& found : quorvel::WalkUsbprintEnum(registry_)) {
    AttachedPrinter printer;
    printer.device = found.devicePath;
    if (found.identifiers) {
      printer.vid = quorvel::ToUpperAscii(found.identifiers->vendor);
      printer.pid = quorvel::ToUpperAscii(found.identifiers->product);
      printer.model = ModelNameOf(printer.vid, printer.pid);
    }
    // Each printer gets its own port here; the main window shows only the current one's.
    printer.port = quorvel::PrinterPortOf(registry_, found.interfaceKeyName).value_or("");
    printer.location = printer.port.value_or("");
    printer.serial = quorvel::SerialOf(found.instance);
    printers.push_back(std::move(printer));
  }
  return printers;
}

}  // namespace ctl
