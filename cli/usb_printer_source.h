#pragma once
// Linux: the printers of vendor 1A86 on the USB bus, whatever driver holds them, each with its place on the bus.
#include "cli/attached_printer.h"
#include "platform/interfaces/usb_bus.h"

namespace ctl {

// Only our vendor's printers: another maker's printer on the same bus is never listed, so that `--all` and the
// one-printer default cannot reach it.
inline constexpr uint16_t kOurVendor = 0x1A86;

// Why a USB device is not one of our printers, in a few words for the user; empty when it is one. Discovery and a
// path given by hand (--device, -p PATH) are held to the same rule, so that no path reaches another maker's device.
std::string NotOurPrinter(const platform::UsbDeviceRecord& device);

class UsbPrinterSource : public PrinterSource {
 public:
  explicit UsbPrinterSource(platform::UsbBus& bus) : bus_(bus) {}
  std::vector<AttachedPrinter> List() override;
  std::string ListingFailure() const override { return bus_.ListingFailure(); }

 private:
  platform::UsbBus& bus_;
};

}  // namespace ctl
