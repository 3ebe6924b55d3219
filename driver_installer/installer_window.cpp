#include "driver_installer/installer_window.h"

#include <string>

#include "driver_installer/install_check.h"
#include "driver_installer/port_resolution.h"
#include "driver_installer/text_helpers.h"
#include "driver_installer/usb_detection.h"

namespace omblet {

void InstallerWindow::Load() {
  controls_.window.SetCaption(kInstallerCaption);
  controls_.label2.SetText(kMakerLine);
  state_.noInvoiceDriver = false;
  state_.invoiceDriverClass = InvoiceDriverClass::Unset;
  for (int i = 0; i < kStatusLineCount; ++i) Line(i).SetText("");
  Line(0).SetText("打印驱动安装中请你耐心等待");
  controls_.stopButton.SetText(kStopCaption);
  controls_.stopButton.SetVisible(true);
  // A spooler that is already running makes the command fail; either way the flow goes on. cmd looks for "net"
  // in its current folder first: started in the system folder, it finds the system's own, not a net.exe placed
  // beside this elevated program or in the folder it was started from.
  const std::string systemFolder = services_.fileSystem.SystemFolder();
  const std::string cmd = systemFolder + "\\" + std::string(kCmdExe);
  if (!services_.launcher.Start(cmd, kSpoolerCommand, platform::ShowState::Hidden, systemFolder)) {
    Line(kProblemLine).SetText("无法启动打印服务命令: " + std::string(kSpoolerCommand));
  }
  Line(1).SetText("启动打印服务");
  controls_.timerDelay.SetInterval(1);
  controls_.timerDelay.SetEnabled(true);
  state_.delayLimit = 5;
  state_.scanCounter = 0;
  controls_.timerUSBCheck.SetEnabled(false);
  controls_.timerEnd.SetEnabled(false);
}

void InstallerWindow::OnTimerDelayTick() {
  state_.delayTicks = static_cast<int16_t>(state_.delayTicks + 1);
  if (state_.delayTicks > state_.delayLimit) {
    Line(2).SetText("正在检测USB打印机");
    controls_.timerUSBCheck.SetInterval(1);
    controls_.timerUSBCheck.SetEnabled(true);
    controls_.timerDelay.SetEnabled(false);
    return;
  }
  controls_.timerDelay.SetInterval(1000);
  controls_.timerDelay.SetEnabled(true);
  Line(1).SetText(Line(1).Text() + ".");
}

void InstallerWindow::OnTimerUSBCheckTick() {
  // WMI runs in another process; while a query waits, COM's modal loop delivers this timer's ticks. A tick then
  // must not detect again, nor start the installs a second time.
  if (checking_) return;
  checking_ = true;
  CheckForPrinter();
  checking_ = false;
}

void InstallerWindow::CheckForPrinter() {
  DetectUsbPrinter(services_.wmi, {controls_.window, Line(2), Line(3), state_});
  if (!state_.printerFound) {
    controls_.timerUSBCheck.SetInterval(1000);
    controls_.timerUSBCheck.SetEnabled(true);
    return;
  }
  Line(2).SetText("检测到USB打印机型号:" + state_.modelName);
  controls_.timerUSBCheck.SetEnabled(false);
  controls_.stopButton.SetVisible(false);
  PortResolver(services_.registry, state_).ResolvePrinterPort();
  Line(4).SetText("检测到打印机虚拟端口:" + state_.portName);
  Line(5).SetText("正在将打印机驱动程序复制到你的计算机..");
  controls_.window.Repaint();
  const std::string folder = services_.fileSystem.ProgramFolder();
  // printui's own failure would not say why; the check at the end names the printers that are missing.
  const std::string inf = folder + "\\QRX\\QRX.inf";
  if (!services_.fileSystem.FileExists(inf)) Line(kProblemLine).SetText("找不到驱动文件: " + inf);
  installs_ = InstallPrinterDriver(folder, services_.fileSystem.SystemFolder(),
                                   {controls_.label1, controls_.timerEnd, state_});
  StartNextInstall();
}

bool InstallerWindow::StopWaiting() {
  if (state_.printerFound) return false;
  controls_.timerDelay.SetEnabled(false);
  controls_.timerUSBCheck.SetEnabled(false);
  controls_.timerEnd.SetEnabled(false);
  controls_.window.Close();
  return true;
}

void InstallerWindow::StartNextInstall() {
  std::vector<std::string> notStarted = installs_.Advance(services_.launcher);
  if (notStarted.empty()) return;
  installsNotStarted_.insert(installsNotStarted_.end(), notStarted.begin(), notStarted.end());
  Line(kProblemLine).SetText("无法启动驱动安装程序: " + JoinNames(installsNotStarted_));
}

void InstallerWindow::OnTimerEndTick() {
  StartNextInstall();
  if (waitingForInstalls_) {
    WaitForInstalls();
  } else {
    CountDown();
  }
}

void InstallerWindow::CountDown() {
  state_.closeTicks = static_cast<int16_t>(state_.closeTicks + 1);
  Line(state_.countdownLine)
      .SetText("打印机驱动安装完成:" + std::to_string(state_.closeTicks) + "s(5秒后自动关闭)");
  if (state_.closeTicks <= 5) {
    controls_.timerEnd.SetInterval(1010);
    controls_.timerEnd.SetEnabled(true);
    return;
  }
  controls_.timerEnd.SetEnabled(false);
  if (installs_.AllEnded()) {
    Finish();
    return;
  }
  // The outcome is known only once printui has finished; poll from the timer so the window stays responsive.
  waitingForInstalls_ = true;
  waitPolls_ = 0;
  Line(kCheckLine).SetText("正在等待驱动安装程序结束..");
  controls_.timerEnd.SetInterval(1000);
  controls_.timerEnd.SetEnabled(true);
}

void InstallerWindow::WaitForInstalls() {
  ++waitPolls_;
  if (!installs_.AllEnded() && waitPolls_ < kInstallWaitPolls) {
    Line(kCheckLine).SetText("正在等待驱动安装程序结束.." + std::to_string(waitPolls_) + "s");
    return;
  }
  controls_.timerEnd.SetEnabled(false);
  waitingForInstalls_ = false;
  Finish();
}

void InstallerWindow::Finish() {
  std::vector<std::string> missing = PrintersNotInstalled(services_.spooler, installs_.Installs(), state_.portName);
  if (missing.empty()) {
    Line(kCheckLine).SetText("");
    services_.dialogs.ShowMessage(kSuccessMessage, kProgramTitle);
  } else {
    std::string report = "以下打印机没有安装成功: " + JoinNames(missing);
    Line(state_.countdownLine).SetText(kFailedLine);
    Line(kCheckLine).SetText(report);
    controls_.window.Repaint();
    services_.dialogs.ShowMessage(report, kProgramTitle);
  }
  controls_.window.Close();
}

}  // namespace omblet
