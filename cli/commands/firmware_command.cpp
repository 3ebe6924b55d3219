// quorvelctl firmware FILE [--yes] [-p PRINTER]: "PROGRAME UPGRADE", then the image.
#include <istream>
#include <ostream>

#include "cli/commands/commands.h"
#include "cli/commands/printer_options.h"
#include "cli/file_io.h"
#include "cli/firmware_download.h"
#include "cli/progress_bar.h"
#include "config_tool/text_util.h"

namespace ctl {
namespace {

struct FirmwareOptions {
  PrinterOptions printers;
  std::string file;
  bool yes = false;
};

bool Confirmed(CtlContext& context, const std::string& device, const std::string& file, size_t size) {
  context.io.err << "Download " << file << " (" << size << " bytes) to " << device
                 << " as its new firmware? A wrong image can leave the printer unusable. [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(context.io.in, answer)) {
    context.io.err << "\n";
    return false;
  }
  answer = quorvel::ToUpperAscii(answer);
  return answer == "Y" || answer == "YES";
}

int RunFirmware(CtlContext& context, const FirmwareOptions& options) {
  const FileBytes image = ReadFileBytes(options.file, kLargestFirmwareImage);
  if (!image.ok) return Fail(context, kBadFile, options.file + ": " + image.error);
  if (image.bytes.empty()) return Fail(context, kBadFile, options.file + ": the file is empty");

  OpenedPrinter printer = OpenChosenPrinter(context, options.printers);
  if (!printer.connection) return printer.code;
  if (!options.yes && !Confirmed(context, printer.device, options.file, image.bytes.size())) {
    return Fail(context, kUsage, "not confirmed: nothing sent (--yes downloads without asking)");
  }

  const bool showProgress = context.io.errIsTerminal;
  const FirmwareResult result = DownloadFirmware(*printer.connection, image.bytes, [&](size_t sent, size_t total) {
    if (showProgress) context.io.err << "\r" << ProgressLine(sent, total) << std::flush;
  });
  if (showProgress) context.io.err << "\n";
  if (!result.commandSent) return Fail(context, kDeviceFailed, printer.device + ": the upgrade command could not be written");
  if (!result.complete) {
    return Fail(context, kDeviceFailed, printer.device + ": the image broke off after " +
                                            std::to_string(result.imageBytesSent) + " of " +
                                            std::to_string(image.bytes.size()) + " bytes");
  }
  context.io.out << printer.device << ": firmware image of " << image.bytes.size() << " bytes sent\n";
  return kDone;
}

}  // namespace

Command AddFirmwareCommand(CLI::App& program, CtlContext& context) {
  CLI::App* command = program.add_subcommand(
      "firmware", "Download a firmware image: the \"PROGRAME UPGRADE\" command, then the image's bytes. Asks "
                  "first unless --yes; shows a progress bar on a terminal.");
  auto options = std::make_shared<FirmwareOptions>();
  command->add_option("FILE", options->file, "The firmware image (at most 3,000,001 bytes).")->required();
  AddPrinterOptions(*command, options->printers, false);
  command->add_flag("-y,--yes", options->yes, "Download without asking.");
  return {command, [&context, options] { return RunFirmware(context, *options); }};
}

}  // namespace ctl
