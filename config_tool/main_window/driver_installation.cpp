#include "config_tool/main_window/driver_installation.h"

namespace quorvel {

std::string PrintUiArguments(std::string_view programFolder, std::string_view port) {
  // The INF path is quoted: a folder such as C:\Program Files\... would split it otherwise.
  return "printui.dll,PrintUIEntry /if /b \"" + std::string(kToolPrinterName) + "\" /f \"" +
         std::string(programFolder) + "\\QRX\\QRX.inf\" /r " + std::string(port) + " /m \"" +
         std::string(kToolPrinterName) + "\"";
}

void DriverInstallation::OnCommand5Click() {
  discovery_.FindPrinters();
  controls_.window.Repaint();
  const std::string port = controls_.label4.Text();
  if (port.empty()) {
    services_.dialogs.ShowMessage(ByLanguage(process_, "没有找到打印机", "no printer connected!"),
                                  ByLanguage(process_, "提示", "note"));
    return;
  }
  const std::string folder = services_.files.ProgramFolder();
  const std::string inf = folder + "\\QRX\\QRX.inf";
  if (!services_.files.FileExists(inf)) {
    // printui would fail with a message that does not say which file is missing.
    services_.dialogs.ShowMessage(ByLanguage(process_, "找不到驱动文件：" + inf, "The driver package is missing: " + inf),
                                  ByLanguage(process_, "提示", "note"));
    return;
  }
  // Installing a printer needs administrator rights: the shell asks a standard user for them. rundll32 comes
  // from the system folder by its full path, so that no file of that name beside the program runs elevated.
  const std::string rundll32 = services_.files.SystemFolder() + "\\rundll32.exe";
  switch (services_.shell.ShellStart(rundll32, PrintUiArguments(folder, port), folder,
                                     platform::ShowState::Minimized, true)) {
    case platform::ShellStartResult::Started:
      break;
    case platform::ShellStartResult::Declined:
      ReportDeclined();
      break;
    case platform::ShellStartResult::Failed:
      services_.dialogs.ShowMessage(ByLanguage(process_, "无法启动驱动安装（rundll32 printui.dll）",
                                               "Cannot start the driver install (rundll32 printui.dll)"),
                                    ByLanguage(process_, "提示", "note"));
      break;
  }
}

// Saying no to the request for administrator rights is the user's choice, not a fault of the program.
void DriverInstallation::ReportDeclined() {
  services_.dialogs.ShowMessage(ByLanguage(process_, "已取消：没有获得管理员权限，驱动没有安装。",
                                           "Cancelled: without administrator rights the driver was not installed."),
                                ByLanguage(process_, "提示", "note"));
}

void DriverInstallation::OnCommand7Click() {
  const std::string folder = services_.files.ProgramFolder();
  const std::string installer = folder + "\\" + std::string(kInstallerExe);
  if (!services_.files.FileExists(installer)) {
    services_.dialogs.ShowMessage(
        ByLanguage(process_, "找不到驱动安装程序：" + installer, "The driver installer is missing: " + installer),
        ByLanguage(process_, "提示", "note"));
  } else {
    switch (services_.shell.ShellStart(installer, "", folder, platform::ShowState::Maximized, false)) {
      case platform::ShellStartResult::Started:
        break;
      case platform::ShellStartResult::Declined:  // the installer's manifest asks for administrator rights
        ReportDeclined();
        break;
      case platform::ShellStartResult::Failed:
        services_.dialogs.ShowMessage(ByLanguage(process_, "无法启动驱动安装程序：" + installer,
                                                 "Cannot start the driver installer: " + installer),
                                      ByLanguage(process_, "提示", "note"));
        break;
    }
  }
  discovery_.ListBrandPrinters();
}

}  // namespace quorvel
