#pragma once
// The printui command lines that install the invoice printer and the standard printer.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "driver_installer/installer_state.h"
#include "platform/interfaces/controls.h"
#include "platform/interfaces/process_launcher.h"
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

// One printer install that was asked for, and the program that does it (empty when it could not be started).
struct PendingInstall {
  std::string printerName;
  platform::StartedProcess process;
};

struct InstallTargets {
  const StatusLines& lines;
  platform::Timer& timerEnd;
  InstallerState& state;
};

// Starts the one or two installs, reports them on the status lines and starts the close countdown.
std::vector<PendingInstall> InstallPrinterDriver(platform::ProcessLauncher& launcher, std::string_view programFolder,
                                                 const InstallTargets& targets);

}  // namespace omblet
