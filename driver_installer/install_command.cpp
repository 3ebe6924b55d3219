#include "driver_installer/install_command.h"

#include "driver_installer/text_helpers.h"

namespace omblet {

std::string_view InvoiceDriverName(InvoiceDriverClass driverClass) {
  switch (driverClass) {
    case InvoiceDriverClass::S:
      return "发票专用驱动S";
    case InvoiceDriverClass::N:
      return "发票专用驱动N";
    case InvoiceDriverClass::SJZ:
      return "发票专用驱动SJZ";
    case InvoiceDriverClass::Unset:
      break;
  }
  return {};
}

std::string InstallCommandLine(std::string_view printerName, std::string_view programFolder,
                               std::string_view portName) {
  std::string line = "rundll32 printui.dll,PrintUIEntry /if /b \"";
  line += printerName;
  line += "\" /f \"";
  line += programFolder;
  line += "\\QRX\\QRX.inf\" /r ";
  line += portName;
  line += " /m \"";
  line += printerName;
  line += "\"";
  return line;
}

std::vector<PendingInstall> InstallPrinterDriver(platform::ProcessLauncher& launcher, std::string_view programFolder,
                                                 const InstallTargets& targets) {
  const StatusLines& lines = targets.lines;
  InstallerState& state = targets.state;
  std::vector<PendingInstall> installs;
  std::vector<std::string> notStarted;
  auto install = [&](std::string_view name) {
    platform::StartedProcess process =
        launcher.Start(InstallCommandLine(name, programFolder, state.portName), platform::ShowState::Minimized);
    if (!process) notStarted.emplace_back(name);
    installs.push_back({std::string(name), std::move(process)});
  };

  lines[6]->SetText("加载驱动文件..");
  std::string_view invoiceName = InvoiceDriverName(state.invoiceDriverClass);
  int line = 0;
  if (!state.noInvoiceDriver) {
    line = 7;
    if (!invoiceName.empty()) {
      lines[7]->SetText("安装发票专用驱动..");
      install(invoiceName);
      line = 8;
    }
  }
  lines[static_cast<size_t>(line)]->SetText("安装标准驱动..");
  install(state.modelName);
  lines[static_cast<size_t>(line) + 1]->SetText("驱动安装完成");
  if (!notStarted.empty()) lines[kProblemLine]->SetText("无法启动驱动安装程序: " + JoinNames(notStarted));

  state.countdownLine = static_cast<int16_t>(line + 1);
  targets.timerEnd.SetInterval(1);
  targets.timerEnd.SetEnabled(true);
  state.closeTicks = 0;
  return installs;
}

}  // namespace omblet
