#pragma once
// The USB devices attached to the machine, as the bus describes them, for discovery that picks printers by their
// descriptors rather than by the driver that happens to hold them.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct UsbDeviceRecord {
  std::string node;      // the device node that reaches it: /dev/bus/usb/001/004
  std::string location;  // its place on the bus as sysfs names it: 1-1.4 (bus, then the ports down to it)
  uint16_t vendor = 0;
  uint16_t product = 0;
  bool printerInterface = false;  // one of its interfaces is of the printer class
  std::string serial;             // empty when it has none or it cannot be read without opening the device
};

class UsbBus {
 public:
  virtual ~UsbBus() = default;
  virtual std::vector<UsbDeviceRecord> Devices() = 0;
  // Why the last Devices() could not look at the bus (the USB library could not start, or list the devices), in
  // the library's words; empty when it could, whether or not it found devices.
  virtual std::string ListingFailure() const { return {}; }
};

}  // namespace platform
