// quorvelctl selftest [-p PRINTER]: the printer prints its self-test page.
#include <ostream>

#include "cli/commands/commands.h"
#include "cli/commands/printer_options.h"
#include "cli/write_failure_text.h"
#include "config_tool/params/command_set.h"

namespace ctl {

Command AddSelftestCommand(CLI::App& program, CtlContext& context) {
  CLI::App* command = program.add_subcommand("selftest", "Make the printer print its self-test page.");
  auto options = std::make_shared<PrinterOptions>();
  AddPrinterOptions(*command, *options, false);
  AddWriteTimeoutOption(*command, *options);
  return {command, [&context, options] {
            OpenedPrinter printer = OpenChosenPrinter(context, *options);
            if (!printer.connection) return printer.code;
            printer.connection->LimitWrites(options->Timeout());
            if (const StopCheck stopped = StopCheckOf(context); stopped && stopped()) {
              return Fail(context, kStopped, printer.device + ": stopped by a signal before anything was sent");
            }
            const auto line = quorvel::ToBytes(quorvel::CommandLine(quorvel::command::kSelfTestPage));
            if (const platform::WriteResult written = printer.connection->Write(line); !written) {
              return Fail(context, kDeviceFailed,
                          printer.device + (printer.connection->Unplugged()
                                                ? ": the printer was unplugged"
                                                : ": the self-test command could not be written: " +
                                                      WriteFailureText(written, line.size(), options->Timeout())));
            }
            context.io.out << printer.device << ": self-test page requested\n";
            return static_cast<int>(kDone);
          }};
}

}  // namespace ctl
