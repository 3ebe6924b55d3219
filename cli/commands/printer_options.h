#pragma once
// The options that choose printers (-p, --all, --device) and bound the wait for an answer (--timeout), shared by
// the commands that talk to printers.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/ctl_context.h"
#include "cli/printer_selection.h"

namespace ctl {

struct PrinterOptions {
  std::string printer;
  CLI::Option* printerOption = nullptr;
  std::string serial, location;
  CLI::Option *serialOption = nullptr, *locationOption = nullptr;
  bool all = false;
  bool allowAll = false;
  std::vector<std::string> devices;
  double timeoutSeconds = 2.0;
  double waitSeconds = 0.0;  // for a printer another program holds

  std::chrono::milliseconds Timeout() const;
  std::chrono::milliseconds Wait() const;
};

// -p/--printer, --serial, --location, --device, --wait and, where `allowAll`, --all.
void AddPrinterOptions(CLI::App& command, PrinterOptions& options, bool allowAll);
// --timeout of the commands that read: how long to wait for the printer's answer.
void AddTimeoutOption(CLI::App& command, PrinterOptions& options);

// A printer that takes no data for this long by default is not going to.
inline constexpr std::chrono::milliseconds kDefaultWriteLimit{30000};

// --timeout of the commands that send: how long the printer may take none of the bytes, `defaultLimit` unless given.
void AddWriteTimeoutOption(CLI::App& command, PrinterOptions& options,
                           std::chrono::milliseconds defaultLimit = kDefaultWriteLimit);

// The printers chosen: those of --device, or those discovery finds, narrowed by -p or --all.
Selected ChosenPrinters(CtlContext& context, const PrinterOptions& options);

// The one printer a command works on, opened; on failure the message is printed and `code` says why.
struct OpenedPrinter {
  std::string device;
  std::unique_ptr<platform::PrinterConnection> connection;
  int code = kDone;
};
OpenedPrinter OpenChosenPrinter(CtlContext& context, const PrinterOptions& options);

// Prints "quorvelctl: <text>" on the error stream and returns `code`.
int Fail(CtlContext& context, int code, const std::string& text);

// Seconds given on the command line, as milliseconds.
std::chrono::milliseconds Milliseconds(double seconds);

}  // namespace ctl
