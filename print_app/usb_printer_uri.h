#pragma once
// Our USB printers' device URIs, quorvel-usb://LOCATION?serial=SERIAL: a printer is found again by its serial
// number wherever it is plugged in, and by its place on the bus when it has none.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/attached_printer.h"

namespace print_app {

inline constexpr std::string_view kUsbScheme = "quorvel-usb";

std::string UsbPrinterUri(const ctl::AttachedPrinter& printer);

// The printer `uri` names among `printers` (quorvelctl's list of ours); none when it is not plugged in.
std::optional<ctl::AttachedPrinter> FindUsbPrinter(const std::vector<ctl::AttachedPrinter>& printers,
                                                   std::string_view uri);

// A queue name for a printer added when it is plugged in: the model, and the serial (or the place) that tells two
// of the same model apart, in the letters IPP resource names take: "QRX-100_A1B2".
std::string AutoPrinterName(const ctl::AttachedPrinter& printer);

// The IEEE 1284 device ID the printer application reports for it.
std::string DeviceIdOf(std::string_view model);

}  // namespace print_app
