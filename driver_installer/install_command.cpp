#include "driver_installer/install_command.h"

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

std::string Rundll32Path(std::string_view systemFolder) { return std::string(systemFolder) + "\\rundll32.exe"; }

InstallQueue InstallPrinterDriver(std::string_view programFolder, std::string_view systemFolder,
                                  const InstallTargets& targets) {
  const StatusLines& lines = targets.lines;
  InstallerState& state = targets.state;
  InstallQueue installs;
  auto install = [&](std::string_view name) {
    installs.Add(std::string(name), Rundll32Path(systemFolder), InstallCommandLine(name, programFolder, state.portName));
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

  state.countdownLine = static_cast<int16_t>(line + 1);
  targets.timerEnd.SetInterval(1);
  targets.timerEnd.SetEnabled(true);
  state.closeTicks = 0;
  return installs;
}

}  // namespace omblet
