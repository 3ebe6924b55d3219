// quorvelctl send (--hex TEXT | --text TEXT | --file PATH) [-p PRINTER]: raw bytes to the printer.
#include <ostream>

#include "cli/commands/commands.h"
#include "cli/commands/printer_options.h"
#include "cli/file_io.h"
#include "cli/payload.h"
#include "cli/write_failure_text.h"
#include "config_tool/console/console_encoding.h"

namespace ctl {
namespace {

struct SendOptions {
  PrinterOptions printers;
  std::string hex, text, file;
  CLI::Option *hexOption = nullptr, *textOption = nullptr, *fileOption = nullptr;
};

int RunSend(CtlContext& context, const SendOptions& options) {
  // The bytes are built, and refused, before the printer is opened.
  Payload payload;
  if (options.hexOption->count() > 0) {
    payload = HexPayload(options.hex);
    if (!payload.ok) return Fail(context, kUsage, "--hex: " + payload.error);
  } else if (options.textOption->count() > 0) {
    payload = TextPayload(context.codec, options.text);
    if (!payload.ok) return Fail(context, kUsage, "--text: " + payload.error);
  } else {
    FileBytes file = ReadFileBytes(options.file, quorvel::kSendBufferSize, context.io.in);
    if (!file.ok) return Fail(context, kBadFile, options.file + ": " + file.error);
    payload.bytes = std::move(file.bytes);
  }
  OpenedPrinter printer = OpenChosenPrinter(context, options.printers);
  if (!printer.connection) return printer.code;
  printer.connection->LimitWrites(options.printers.Timeout());
  if (const StopCheck stopped = StopCheckOf(context); stopped && stopped()) {
    return Fail(context, kStopped, printer.device + ": stopped by a signal before anything was sent");
  }
  if (const platform::WriteResult written = printer.connection->Write(payload.bytes); !written) {
    return Fail(context, kDeviceFailed,
                printer.device + (printer.connection->Unplugged()
                                      ? ": the printer was unplugged; the bytes may have arrived in part"
                                      : ": " + WriteFailureText(written, payload.bytes.size(),
                                                                options.printers.Timeout())));
  }
  context.io.out << printer.device << ": sent " << payload.bytes.size() << " bytes\n";
  return kDone;
}

}  // namespace

Command AddSendCommand(CLI::App& program, CtlContext& context) {
  CLI::App* command = program.add_subcommand(
      "send", "Send raw bytes to the printer: a hex byte string, a text, or a file's contents.");
  auto options = std::make_shared<SendOptions>();
  AddPrinterOptions(*command, options->printers, false);
  AddWriteTimeoutOption(*command, options->printers);
  CLI::Option_group* what = command->add_option_group("what to send", "Exactly one of these:");
  options->hexOption =
      what->add_option("--hex", options->hex, "Bytes as hexadecimal pairs, spaces allowed: \"1B 40\".")
          ->type_name("TEXT");
  options->textOption = what->add_option("--text", options->text,
                                         "A text, each character as the printer's code page bytes (Windows: the "
                                         "ANSI code page; Linux: UTF-8). Add line ends yourself.")
                            ->type_name("TEXT");
  options->fileOption =
      what->add_option("--file", options->file, "A file's bytes, unchanged (at most 3,000,001 bytes); - reads standard input.")
          ->type_name("PATH");
  what->require_option(1);
  return {command, [&context, options] { return RunSend(context, *options); }};
}

}  // namespace ctl
