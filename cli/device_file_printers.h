#pragma once
// Printer connections over the device-file access the main window uses: a synchronous handle for the writes and
// an overlapped one for the reads, the read looked at until it completes or the time is up. On Windows this is
// how quorvelctl reaches a printer.
#include <functional>

#include "platform/interfaces/device_file.h"
#include "platform/interfaces/printer_device.h"

namespace ctl {

class DeviceFilePrinters : public platform::PrinterDevices {
 public:
  // `lastOpenFailure` tells why the device file that just failed to open did so.
  DeviceFilePrinters(platform::DeviceFiles& files, std::function<platform::OpenFailure()> lastOpenFailure)
      : files_(files), lastOpenFailure_(std::move(lastOpenFailure)) {}

  std::unique_ptr<platform::PrinterConnection> Open(std::string_view path, platform::OpenFailure& failure) override;

 private:
  platform::DeviceFiles& files_;
  std::function<platform::OpenFailure()> lastOpenFailure_;
};

}  // namespace ctl
