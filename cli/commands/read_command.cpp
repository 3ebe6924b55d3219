// quorvelctl read [-p PRINTER] [--json] [--lang zh|en] [--timeout SECONDS]: the printer's parameters.
#include <ostream>

#include "cli/commands/commands.h"
#include "cli/commands/printer_options.h"
#include "cli/frame_report.h"

namespace ctl {
namespace {

struct ReadOptions {
  PrinterOptions printers;
  bool json = false;
  std::string language = "en";
};

int RunRead(CtlContext& context, const ReadOptions& options) {
  OpenedPrinter printer = OpenChosenPrinter(context, options.printers);
  if (!printer.connection) return printer.code;
  const std::string& device = printer.device;
  const FrameRead read = ReadParameterFrame(*printer.connection, options.printers.Timeout(), StopCheckOf(context));
  if (read.outcome == FrameRead::Unplugged) {
    return Fail(context, kDeviceFailed, FrameReadProblem(read, device, options.printers.Timeout()) + "; nothing read");
  }
  if (read.outcome == FrameRead::Stopped) {
    return Fail(context, kStopped, FrameReadProblem(read, device, options.printers.Timeout()) + "; nothing read");
  }
  if (!read.frame) return Fail(context, kDeviceFailed, FrameReadProblem(read, device, options.printers.Timeout()));
  if (options.json) {
    context.io.out << JsonText(ReportJson(*read.frame, device), 2) << "\n";
  } else {
    context.io.out << ReportLines(*read.frame, options.language == "zh" ? Language::Chinese : Language::English);
  }
  return kDone;
}

}  // namespace

Command AddReadCommand(CLI::App& program, CtlContext& context) {
  CLI::App* command = program.add_subcommand(
      "read", "Read the printer's parameters and print them as the configuration tool's debug view shows them.");
  auto options = std::make_shared<ReadOptions>();
  AddPrinterOptions(*command, options->printers, false);
  AddTimeoutOption(*command, options->printers);
  command->add_flag("--json", options->json, "A JSON object with stable field names (see the man page).");
  command->add_option("--lang", options->language, "The report's language: zh or en (default en).")
      ->check(CLI::IsMember({"zh", "en"}));
  return {command, [&context, options] { return RunRead(context, *options); }};
}

}  // namespace ctl
