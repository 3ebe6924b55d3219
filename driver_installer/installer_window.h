#pragma once
// The driver installer window's behaviour: load, the three timers and the final message.
#include <string_view>
#include <vector>

#include "driver_installer/install_command.h"
#include "driver_installer/installer_state.h"
#include "platform/interfaces/controls.h"
#include "platform/interfaces/dialogs.h"
#include "platform/interfaces/file_system.h"
#include "platform/interfaces/process_launcher.h"
#include "platform/interfaces/registry.h"
#include "platform/interfaces/spooler.h"
#include "platform/interfaces/timer.h"
#include "platform/interfaces/wmi.h"

namespace omblet {

inline constexpr std::string_view kInstallerCaption = "OmbletV300.19(20180607)";
inline constexpr std::string_view kProgramTitle = "Omblet";
inline constexpr std::string_view kMakerLine = "Quorvel 热敏打印机驱动安装程序";
inline constexpr std::string_view kSpoolerCommand = "cmd /c net start spooler";
inline constexpr std::string_view kCmdExe = "cmd.exe";
inline constexpr std::string_view kSuccessMessage = "驱动安装成功!!";
// Replaces the countdown line when the check finds printers missing.
inline constexpr std::string_view kStopCaption = "停止";
inline constexpr std::string_view kFailedLine = "打印机驱动没有安装成功";

// The line that shows the wait for the install programs and the outcome of the check.
inline constexpr int kCheckLine = 10;
// How many one-second polls the installer waits for the install programs to end.
inline constexpr int kInstallWaitPolls = 120;

struct InstallerControls {
  platform::Window& window;  // Form1
  platform::Label& label2;   // the maker line
  StatusLines label1;        // the fifteen status lines
  platform::Timer& timerDelay;
  platform::Timer& timerUSBCheck;
  platform::Timer& timerEnd;
  platform::Label& stopButton;  // ends the wait for a printer
};

struct InstallerServices {
  platform::Wmi& wmi;
  platform::Registry& registry;
  platform::ProcessLauncher& launcher;
  platform::Spooler& spooler;
  platform::Dialogs& dialogs;
  platform::FileSystem& fileSystem;
};

class InstallerWindow {
 public:
  InstallerWindow(InstallerControls controls, InstallerServices services)
      : controls_(controls), services_(services) {}

  void Load();
  void OnTimerDelayTick();
  void OnTimerUSBCheckTick();
  void OnTimerEndTick();
  // The stop button or Esc: ends the wait and the window while no printer is found; true when it did. Installs
  // that have started are never stopped halfway.
  bool StopWaiting();

 private:
  platform::Label& Line(int index) { return *controls_.label1[static_cast<size_t>(index)]; }
  void CheckForPrinter();
  void StartNextInstall();
  void CountDown();
  void WaitForInstalls();
  void Finish();

  InstallerControls controls_;
  InstallerServices services_;
  InstallerState state_;
  InstallQueue installs_;
  std::vector<std::string> installsNotStarted_;
  bool checking_ = false;  // a printer check runs: ticks delivered inside it are dropped
  bool waitingForInstalls_ = false;
  int waitPolls_ = 0;
};

}  // namespace omblet
