#pragma once
// USB printers reached through libusb: the bus's devices for discovery, and a connection that claims the printer
// interface for as long as it lives (the kernel's printer driver is detached meanwhile and given back after).
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "platform/interfaces/print_job_gate.h"
#include "platform/interfaces/printer_device.h"
#include "platform/interfaces/usb_bus.h"
#include "platform/linux/libusb_handles.h"

namespace linux_platform {

// Why a device may not be opened (another maker's, not a printer); empty when it may.
using DeviceRefusal = std::function<std::string(const platform::UsbDeviceRecord&)>;

class LibusbPrinterBus : public platform::UsbBus, public platform::PrinterDevices {
 public:
  // `sysRoot` is /sys: where the serial numbers and the printer driver's lpN nodes are looked up. `refusal` is
  // asked about every device before it is opened, whichever path named it; `jobs` (when given), before the
  // kernel's printer driver is detached from it.
  LibusbPrinterBus(std::filesystem::path sysRoot, DeviceRefusal refusal, platform::PrintJobGate* jobs = nullptr);

  std::vector<platform::UsbDeviceRecord> Devices() override;
  std::string ListingFailure() const override { return listingFailure_; }

  // Takes /dev/bus/usb/BBB/DDD, or /dev/usb/lpN (its USB device is found through sysfs); refuses every other path
  // without opening it.
  std::unique_ptr<platform::PrinterConnection> Open(std::string_view path, platform::OpenFailure& failure) override;

 private:
  std::filesystem::path sysRoot_;
  DeviceRefusal refusal_;
  platform::PrintJobGate* jobs_;
  LibusbContext context_;
  std::string initError_;
  std::string listingFailure_;
};

// The bus and address a USB device node names: /dev/bus/usb/001/004 gives 1 and 4.
struct BusAddress {
  unsigned bus = 0, address = 0;
  bool operator==(const BusAddress&) const = default;
};
std::optional<BusAddress> UsbNodeAddress(std::string_view path);

// The number N of /dev/usb/lpN.
std::optional<unsigned> PrinterDriverNode(std::string_view path);

// sysfs's name of a device's place: the bus, then the port numbers down to it (1-1.4).
std::string LocationName(unsigned bus, const std::vector<unsigned>& ports);

// The kernel printer driver's nodes (/dev/usb/lpN) on the interfaces of the USB device at `location`.
std::vector<std::string> PrinterDriverNodes(const std::filesystem::path& sysRoot, const std::string& location);

}  // namespace linux_platform
