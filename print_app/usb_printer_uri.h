#pragma once
// Our USB printers' device URIs, quorvel-usb://LOCATION?serial=SERIAL: a printer is found again by its serial
// number wherever it is plugged in, and by its place on the bus when it has none.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/interfaces/usb_bus.h"

namespace print_app {

inline constexpr std::string_view kUsbScheme = "quorvel-usb";

std::string UsbPrinterUri(const platform::UsbDeviceRecord& device);

// The device `uri` names among `devices`; none when it is not plugged in.
std::optional<platform::UsbDeviceRecord> FindUsbPrinter(const std::vector<platform::UsbDeviceRecord>& devices,
                                                        std::string_view uri);

// A queue name for a printer added when it is plugged in: the model, and the serial (or the place) that tells two
// of the same model apart, in the letters IPP resource names take: "QRX-100_A1B2".
std::string AutoPrinterName(std::string_view model, const platform::UsbDeviceRecord& device);

// The IEEE 1284 device ID the printer application reports for it.
std::string DeviceIdOf(std::string_view model);

}  // namespace print_app
