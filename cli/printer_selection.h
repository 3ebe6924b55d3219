#pragma once
// Which printers a command works on: -p PRINTER (a number from `list`, a serial, a location or a device path),
// --serial, --location, --all, or the only one attached. A -p text that names different printers in two of these
// ways is refused.
#include <optional>
#include <string>
#include <vector>

#include "cli/attached_printer.h"
#include "cli/exit_codes.h"

namespace ctl {

struct Selection {
  std::optional<std::string> printer;  // -p
  std::optional<std::string> serial;   // --serial
  std::optional<std::string> location; // --location
  bool all = false;                    // --all
  bool allAllowed = false;             // the command takes --all
};

struct Selected {
  std::vector<AttachedPrinter> printers;
  ExitCode code = kDone;  // kDone when `printers` holds the choice
  std::string error;
};

Selected SelectPrinters(const std::vector<AttachedPrinter>& attached, const Selection& selection);

// The printers named by --device, in the order given, as if they had been found.
std::vector<AttachedPrinter> GivenDevices(const std::vector<std::string>& paths);

}  // namespace ctl
