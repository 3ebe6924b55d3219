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
  bool all = false;
  bool allowAll = false;
  std::vector<std::string> devices;
  double timeoutSeconds = 2.0;

  std::chrono::milliseconds Timeout() const;
};

// -p/--printer, --device and, where `allowAll`, --all.
void AddPrinterOptions(CLI::App& command, PrinterOptions& options, bool allowAll);
void AddTimeoutOption(CLI::App& command, PrinterOptions& options);

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
