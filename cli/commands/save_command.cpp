// quorvelctl save FILE [-p PRINTER]: the printer's settings as a profile.
#include <ostream>

#include "cli/commands/commands.h"
#include "cli/commands/printer_options.h"
#include "cli/file_io.h"
#include "cli/frame_report.h"
#include "cli/settings_profile.h"
#include "config_tool/params/frame_values.h"
#include "config_tool/params/shown_settings.h"

namespace ctl {
namespace {

struct SaveOptions {
  PrinterOptions printers;
  std::string file;
};

int RunSave(CtlContext& context, const SaveOptions& options) {
  OpenedPrinter printer = OpenChosenPrinter(context, options.printers);
  if (!printer.connection) return printer.code;
  const std::string& device = printer.device;
  const FrameRead read = ReadParameterFrame(*printer.connection, options.printers.Timeout(), StopCheckOf(context));
  if (read.outcome == FrameRead::Unplugged) {
    return Fail(context, kDeviceFailed, FrameReadProblem(read, device, options.printers.Timeout()) + "; nothing saved");
  }
  if (read.outcome == FrameRead::Stopped) {
    return Fail(context, kStopped, FrameReadProblem(read, device, options.printers.Timeout()) + "; nothing saved");
  }
  if (!read.frame) return Fail(context, kDeviceFailed, FrameReadProblem(read, device, options.printers.Timeout()));

  // The settings the configuration tool would show for this printer, and so would send with its Set.
  const quorvel::ReportedSettings reported = quorvel::SettingsOf(*read.frame);
  const quorvel::PrinterSettings settings = quorvel::SettingsShownAfter(quorvel::SettingsAtWindowLoad(), reported);
  const quorvel::FrameValues values = quorvel::ValuesOf(*read.frame);
  const ProfileSource source{device, ReportedModel(*read.frame), values.productId, values.firmwareVersion,
                             values.firmwareDate, reported.extended};
  if (std::string problem = ReplaceFile(options.file, JsonText(ProfileJson(settings, source), 2) + "\n", context.io.out);
      !problem.empty()) {
    return Fail(context, kBadFile, options.file + ": " + problem);
  }
  // On standard output the profile stands alone, so that it can be piped on.
  if (options.file != "-") context.io.out << device << ": settings saved to " << options.file << "\n";
  return kDone;
}

}  // namespace

Command AddSaveCommand(CLI::App& program, CtlContext& context) {
  CLI::App* command = program.add_subcommand(
      "save", "Save the printer's settings as a profile (JSON) that 'apply' can write to this or other printers.");
  auto options = std::make_shared<SaveOptions>();
  command->add_option("FILE", options->file, "The profile file to write; - writes it to standard output.")->required();
  AddPrinterOptions(*command, options->printers, false);
  AddTimeoutOption(*command, options->printers);
  return {command, [&context, options] { return RunSave(context, *options); }};
}

}  // namespace ctl
