#include "cli/commands/printer_options.h"

#include <cmath>
#include <ostream>

#include "cli/seconds_text.h"

namespace ctl {

std::chrono::milliseconds Milliseconds(double seconds) {
  return std::chrono::milliseconds(static_cast<long long>(std::llround(seconds * 1000.0)));
}

std::chrono::milliseconds PrinterOptions::Timeout() const { return Milliseconds(timeoutSeconds); }
std::chrono::milliseconds PrinterOptions::Wait() const { return Milliseconds(waitSeconds); }

void AddPrinterOptions(CLI::App& command, PrinterOptions& options, bool allowAll) {
  options.allowAll = allowAll;
  options.printerOption =
      command.add_option("-p,--printer", options.printer,
                         "The printer: its number in 'quorvelctl list' (from 1), its serial, its location or its "
                         "device path. May be left out when only one printer is attached.")
          ->type_name("PRINTER");
  options.serialOption = command.add_option("--serial", options.serial, "The printer with this serial.")
                             ->type_name("SERIAL")
                             ->excludes(options.printerOption);
  options.locationOption =
      command.add_option("--location", options.location,
                         "The printer at this location, as 'quorvelctl list' shows it (Linux: its place on the "
                         "bus, such as 1-1.4; Windows: its port, such as USB001).")
          ->type_name("LOCATION")
          ->excludes(options.printerOption)
          ->excludes(options.serialOption);
  if (allowAll) {
    CLI::Option* all = command.add_flag("--all", options.all, "Every printer attached, all at the same time.");
    all->excludes(options.printerOption)->excludes(options.serialOption)->excludes(options.locationOption);
  }
  command.add_option("--device", options.devices,
                     "Talk to this device file directly instead of looking for printers; may be given several "
                     "times.")
      ->type_name("PATH")
      ->allow_extra_args(false);  // one path per --device, so that a file name after it stays the file
  command.add_option("--wait", options.waitSeconds,
                     "When another program holds the printer, wait up to this many seconds for it (default: "
                     "do not wait).")
      ->type_name("SECONDS")
      ->check(CLI::Range(0.0, 86400.0));
}

void AddTimeoutOption(CLI::App& command, PrinterOptions& options) {
  command.add_option("--timeout", options.timeoutSeconds, "Seconds to wait for the printer's answer (default 2).")
      ->type_name("SECONDS")
      ->check(CLI::Range(0.001, 3600.0));
}

void AddWriteTimeoutOption(CLI::App& command, PrinterOptions& options, std::chrono::milliseconds defaultLimit) {
  options.timeoutSeconds = std::chrono::duration<double>(defaultLimit).count();
  command.add_option("--timeout", options.timeoutSeconds,
                     "Seconds to wait for the printer to take any of the bytes before giving up (default " +
                         SecondsText(defaultLimit) + "); a printer that takes them slowly gets the whole job.")
      ->type_name("SECONDS")
      ->check(CLI::Range(0.001, 3600.0));
}

Selected ChosenPrinters(CtlContext& context, const PrinterOptions& options) {
  Selection selection;
  if (options.printerOption && options.printerOption->count() > 0) selection.printer = options.printer;
  if (options.serialOption && options.serialOption->count() > 0) selection.serial = options.serial;
  if (options.locationOption && options.locationOption->count() > 0) selection.location = options.location;
  selection.all = options.all;
  selection.allAllowed = options.allowAll;
  const std::vector<AttachedPrinter> attached =
      options.devices.empty() ? context.source.List() : GivenDevices(options.devices);
  if (attached.empty() && options.devices.empty()) {
    if (std::string failure = context.source.ListingFailure(); !failure.empty()) {
      return Selected{{}, kDeviceFailed, "cannot look for printers: " + failure};
    }
  }
  return SelectPrinters(attached, selection);
}

int Fail(CtlContext& context, int code, const std::string& text) {
  context.io.err << "quorvelctl: " << text << "\n";
  return code;
}

OpenedPrinter OpenChosenPrinter(CtlContext& context, const PrinterOptions& options) {
  OpenedPrinter opened;
  Selected chosen = ChosenPrinters(context, options);
  if (chosen.code != kDone) {
    opened.code = Fail(context, chosen.code, chosen.error);
    return opened;
  }
  opened.device = chosen.printers.front().device;
  Opened open =
      OpenPrinter(context.devices, opened.device, context.host, options.Wait(), context.pause, StopCheckOf(context));
  if (!open.connection) {
    opened.code = Fail(context, open.code, open.error);
    return opened;
  }
  opened.connection = std::move(open.connection);
  return opened;
}

}  // namespace ctl
