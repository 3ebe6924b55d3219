// quorvelctl firmware FILE [--yes] [-p PRINTER]: "PROGRAME UPGRADE", then the image.
#include <istream>
#include <ostream>

#include "cli/commands/commands.h"
#include "cli/commands/printer_options.h"
#include "cli/file_io.h"
#include "cli/firmware_download.h"
#include "cli/progress_bar.h"
#include "cli/write_failure_text.h"
#include "config_tool/params/command_set.h"
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
  const FileBytes image = ReadFileBytes(options.file, kLargestFirmwareImage, context.io.in);
  if (!image.ok) return Fail(context, kBadFile, options.file + ": " + image.error);
  if (image.bytes.empty()) return Fail(context, kBadFile, options.file + ": the file is empty");

  // The printer is chosen before the question, but opened only after it: nobody else is kept from the printer
  // while the question waits for an answer.
  Selected chosen = ChosenPrinters(context, options.printers);
  if (chosen.code != kDone) return Fail(context, chosen.code, chosen.error);
  const std::string device = chosen.printers.front().device;
  if (!options.yes && !Confirmed(context, device, options.file, image.bytes.size())) {
    return Fail(context, kUsage, "not confirmed: nothing sent (--yes downloads without asking)");
  }
  Opened opened = OpenPrinter(context.devices, device, context.host, options.printers.Wait(), context.pause,
                              StopCheckOf(context));
  if (!opened.connection) return Fail(context, opened.code, opened.error);
  const std::chrono::milliseconds limit = options.printers.Timeout();
  opened.connection->LimitWrites(limit);

  // A signal would cut the image at a random byte: the piece in flight is finished first, then we stop.
  const StopCheck stopped = StopCheckOf(context);
  if (stopped && stopped()) {
    return Fail(context, kStopped, device + ": stopped by a signal before anything was sent");
  }
  const bool showProgress = context.io.errIsTerminal;
  const FirmwareResult result = DownloadFirmware(
      *opened.connection, image.bytes,
      [&](size_t sent, size_t total) {
        if (showProgress) context.io.err << "\r" << ProgressLine(sent, total) << std::flush;
      },
      stopped);
  if (showProgress) context.io.err << "\n";
  if (!result.commandSent) {
    const size_t commandSize = quorvel::CommandLine(quorvel::command::kFirmwareUpgrade).size();
    return Fail(context, kDeviceFailed, device + ": the upgrade command could not be written: " +
                                            WriteFailureText(result.lastWrite, commandSize, limit));
  }
  if (result.stopped) {
    return Fail(context, kStopped, device + ": stopped by a signal after " + std::to_string(result.imageBytesSent) +
                                       " of " + std::to_string(image.bytes.size()) +
                                       " bytes: the firmware image is incomplete, and the printer may need the "
                                       "download again before it works");
  }
  if (!result.complete) {
    const platform::WriteResult sent{result.lastWrite.ending, result.imageBytesSent};
    const std::string why = opened.connection->Unplugged()
                                ? "the printer was unplugged after " + std::to_string(result.imageBytesSent) + " of " +
                                      std::to_string(image.bytes.size()) + " bytes"
                                : WriteFailureText(sent, image.bytes.size(), limit);
    return Fail(context, kDeviceFailed, device + ": the image broke off: " + why +
                                            "; the firmware image is incomplete, and the printer may need the "
                                            "download again before it works");
  }
  context.io.out << device << ": firmware image of " << image.bytes.size() << " bytes sent\n";
  return kDone;
}

}  // namespace

Command AddFirmwareCommand(CLI::App& program, CtlContext& context) {
  CLI::App* command = program.add_subcommand(
      "firmware", "Download a firmware image: the \"PROGRAME UPGRADE\" command, then the image's bytes. Asks "
                  "first unless --yes; shows a progress bar on a terminal.");
  auto options = std::make_shared<FirmwareOptions>();
  command->add_option("FILE", options->file, "The firmware image (at most 3,000,001 bytes); - reads it from standard input (with --yes).")->required();
  AddPrinterOptions(*command, options->printers, false);
  AddWriteTimeoutOption(*command, options->printers, kFlashEraseWriteLimit);
  command->add_flag("-y,--yes", options->yes, "Download without asking.");
  return {command, [&context, options] { return RunFirmware(context, *options); }};
}

}  // namespace ctl
