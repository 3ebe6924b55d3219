#pragma once
// Linux: the printers of vendor 1A86 on the USB bus, whatever driver holds them, each with its place on the bus.
#include "cli/attached_printer.h"
#include "platform/interfaces/usb_bus.h"

namespace ctl {

// Only our vendor's printers: another maker's printer on the same bus is never listed, so that `--all` and the
// one-printer default cannot reach it.
inline constexpr uint16_t kOurVendor = 0x1A86;

class UsbPrinterSource : public PrinterSource {
 public:
  explicit UsbPrinterSource(platform::UsbBus& bus) : bus_(bus) {}
  std::vector<AttachedPrinter> List() override;

 private:
  platform::UsbBus& bus_;
};

}  // namespace ctl
