#pragma once
// The main window's hand-offs: a Windows printer through printui, the driver installer, the command console.
#include <string>
#include <string_view>

#include "config_tool/link/printer_discovery.h"
#include "config_tool/main_window_context.h"
#include "config_tool/shared_state.h"
#include "platform/interfaces/shell_launcher.h"

namespace quorvel {

inline constexpr std::string_view kToolPrinterName = "RIRIRU";
inline constexpr std::string_view kInstallerExe = "Omblet.exe";

struct DriverInstallServices {
  platform::ShellLauncher& shell;
  platform::FileSystem& files;
  platform::Dialogs& dialogs;
};

// The printui arguments that install the tool's printer from the shipped INF on `port`.
std::string PrintUiArguments(std::string_view programFolder, std::string_view port);

class DriverInstallation {
 public:
  DriverInstallation(MainWindowControls& controls, const ProcessState& process, PrinterDiscovery& discovery,
                     const DriverInstallServices& services, MainWindowHost& host)
      : controls_(controls), process_(process), discovery_(discovery), services_(services), host_(host) {}

  void OnCommand5Click();  // 安装406DPI驱动
  void OnCommand6Click() { host_.OpenConsole(); }  // 文件打印
  void OnCommand7Click();  // 安装驱动

 private:
  void ReportDeclined();
  MainWindowControls& controls_;
  const ProcessState& process_;
  PrinterDiscovery& discovery_;
  DriverInstallServices services_;
  MainWindowHost& host_;
};

}  // namespace quorvel
