#pragma once
// The printui command lines that install the invoice printer and the standard printer.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "driver_installer/install_queue.h"
#include "driver_installer/installer_state.h"
#include "platform/interfaces/controls.h"
#include "platform/interfaces/timer.h"

namespace omblet {

inline constexpr int kStatusLineCount = 15;
using StatusLines = std::array<platform::Label*, kStatusLineCount>;

// The line that reports what could not be started.
inline constexpr int kProblemLine = 11;

// Printer name and driver model name of the invoice printer; empty for the unset class.
std::string_view InvoiceDriverName(InvoiceDriverClass driverClass);

// The folder is the program's own, without a trailing backslash. The INF path is quoted, so that a folder
// with blanks (C:\Program Files\...) reaches printui as one argument.
std::string InstallCommandLine(std::string_view printerName, std::string_view programFolder,
                               std::string_view portName);

// rundll32 in the system folder, the program that runs each command line.
std::string Rundll32Path(std::string_view systemFolder);

struct InstallTargets {
  const StatusLines& lines;
  platform::Timer& timerEnd;
  InstallerState& state;
};

// Queues the one or two installs (invoice printer first), reports them on the status lines and starts the close
// countdown. The caller starts them through the queue.
InstallQueue InstallPrinterDriver(std::string_view programFolder, std::string_view systemFolder,
                                  const InstallTargets& targets);

}  // namespace omblet
