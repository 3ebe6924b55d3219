#include "cli/commands/printer_options.h"

#include <cmath>
#include <ostream>

namespace ctl {

std::chrono::milliseconds Milliseconds(double seconds) {
  return std::chrono::milliseconds(static_cast<long long>(std::llround(seconds * 1000.0)));
}

std::chrono::milliseconds PrinterOptions::Timeout() const { return Milliseconds(timeoutSeconds); }

void AddPrinterOptions(CLI::App& command, PrinterOptions& options, bool allowAll) {
  options.allowAll = allowAll;
  options.printerOption =
      command.add_option("-p,--printer", options.printer,
                         "The printer: its number in 'quorvelctl list' (from 1), its device path or its serial. "
                         "May be left out when only one printer is attached.")
          ->type_name("PRINTER");
  if (allowAll) {
    CLI::Option* all = command.add_flag("--all", options.all, "Every printer attached, all at the same time.");
    all->excludes(options.printerOption);
  }
  command.add_option("--device", options.devices,
                     "Talk to this device file directly instead of looking for printers; may be given several "
                     "times.")
      ->type_name("PATH")
      ->allow_extra_args(false);  // one path per --device, so that a file name after it stays the file
}

void AddTimeoutOption(CLI::App& command, PrinterOptions& options) {
  command.add_option("--timeout", options.timeoutSeconds, "Seconds to wait for the printer's answer (default 2).")
      ->type_name("SECONDS")
      ->check(CLI::Range(0.001, 3600.0));
}

Selected ChosenPrinters(CtlContext& context, const PrinterOptions& options) {
  Selection selection;
  if (options.printerOption && options.printerOption->count() > 0) selection.printer = options.printer;
  selection.all = options.all;
  selection.allAllowed = options.allowAll;
  const std::vector<AttachedPrinter> attached =
      options.devices.empty() ? context.source.List() : GivenDevices(options.devices);
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
  Opened open = OpenPrinter(context.devices, opened.device, context.host);
  if (!open.connection) {
    opened.code = Fail(context, open.code, open.error);
    return opened;
  }
  opened.connection = std::move(open.connection);
  return opened;
}

}  // namespace ctl
