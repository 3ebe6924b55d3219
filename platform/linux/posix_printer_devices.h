#pragma once
// Printer device files on Linux (/dev/usb/lpN of the kernel's USB printer driver, or any character device that
// behaves like one): one descriptor per connection, reads bounded by poll.
#include "platform/interfaces/printer_device.h"

namespace linux_platform {

class PosixPrinterDevices : public platform::PrinterDevices {
 public:
  std::unique_ptr<platform::PrinterConnection> Open(std::string_view path, platform::OpenFailure& failure) override;
};

// The kind of open failure an errno value stands for.
platform::OpenFailure::Kind OpenFailureKindOf(int error);

}  // namespace linux_platform
