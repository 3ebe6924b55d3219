#include "cli/printer_selection.h"

#include <algorithm>
#include <charconv>

#include "config_tool/text_util.h"

namespace ctl {
namespace {

std::optional<size_t> NumberOf(const std::string& text) {
  size_t number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

bool LooksLikePath(const std::string& text) {
  return text.find('/') != std::string::npos || text.find('\\') != std::string::npos;
}

// Windows compares device paths without regard to letter case; Linux paths are compared as they are.
bool SameDevice(const std::string& listed, const std::string& wanted) {
  if (listed == wanted) return true;
  return listed.starts_with("\\\\?\\") && quorvel::ToUpperAscii(listed) == quorvel::ToUpperAscii(wanted);
}

Selected Failure(ExitCode code, std::string error) {
  Selected selected;
  selected.code = code;
  selected.error = std::move(error);
  return selected;
}

}  // namespace

std::vector<AttachedPrinter> GivenDevices(const std::vector<std::string>& paths) {
  std::vector<AttachedPrinter> printers;
  for (const std::string& path : paths) printers.push_back(AttachedPrinter{path, "", "", "", std::nullopt, ""});
  return printers;
}

Selected SelectPrinters(const std::vector<AttachedPrinter>& attached, const Selection& selection) {
  if (selection.printer) {
    const std::string& wanted = *selection.printer;
    if (std::optional<size_t> number = NumberOf(wanted)) {
      if (*number < 1 || *number > attached.size()) {
        return Failure(kNoSuchPrinter, "no printer number " + wanted + ": " + std::to_string(attached.size()) +
                                           " printer(s) attached (see 'quorvelctl list')");
      }
      return Selected{{attached[*number - 1]}, kDone, ""};
    }
    for (const AttachedPrinter& printer : attached) {
      if (SameDevice(printer.device, wanted)) return Selected{{printer}, kDone, ""};
    }
    std::vector<AttachedPrinter> bySerial;
    std::copy_if(attached.begin(), attached.end(), std::back_inserter(bySerial),
                 [&](const AttachedPrinter& printer) { return !printer.serial.empty() && printer.serial == wanted; });
    if (bySerial.size() == 1) return Selected{bySerial, kDone, ""};
    if (bySerial.size() > 1) {
      return Failure(kUsage, "serial " + wanted + " is shared by " + std::to_string(bySerial.size()) +
                                 " printers: choose one by its number or device path");
    }
    // A device path that discovery did not list is taken as it is: opening it tells whether it is a printer.
    if (LooksLikePath(wanted)) return Selected{GivenDevices({wanted}), kDone, ""};
    return Failure(kNoSuchPrinter, "no printer with the serial or device path '" + wanted + "' (see 'quorvelctl list')");
  }
  if (attached.empty()) return Failure(kNoSuchPrinter, "no printer attached");
  if (selection.all || attached.size() == 1) return Selected{attached, kDone, ""};
  return Failure(kUsage, std::to_string(attached.size()) +
                             " printers are attached: choose one with -p (a number from 'quorvelctl list', a device "
                             "path or a serial)" +
                             (selection.allAllowed ? " or use --all" : ""));
}

}  // namespace ctl
