#pragma once
#include <functional>
#include <memory>

#include "config_tool/main_window/main_window.h"
#include "config_tool/win32/settings_wait_win32.h"
#include "platform/interfaces/skin_engine.h"
#include "platform/layout/fit_to_screen.h"
#include "platform/win32/base_window.h"
#include "platform/win32/win32_background_work.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_device_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_shell_launcher.h"
#include "platform/win32/win32_spooler.h"

namespace quorvel_win32 {

inline constexpr platform::PixelSize kMainWindowClientTwips{14310, 9990};

// Creates the configuration window and its controls and forwards their events to quorvel::MainWindow.
class MainWindowWin32 : public win32::BaseWindow<MainWindowWin32>, public quorvel::MainWindowHost {
 public:
  MainWindowWin32(quorvel::ProcessState& process, platform::SkinEngine& skin, std::function<void()> openConsole);
  ~MainWindowWin32() override;
  bool Create();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Controls;
  void CreateControls();
  void OnCommand(int id, int notification);
  void OpenSettingsWait() override;
  void OpenConsole() override { openConsole_(); }

  quorvel::ProcessState& process_;
  platform::SkinEngine& skin_;
  std::function<void()> openConsole_;
  win32::UniqueGdiObject windowFont_;   // frames
  win32::UniqueGdiObject controlFont_;  // everything else
  win32::Win32Registry registry_;
  win32::Win32Spooler spooler_;
  win32::Win32DeviceFiles devices_;
  // Before logic_: the window's core makes its device work give up before this waits for it.
  win32::Win32BackgroundWork background_;
  win32::Win32FileSystem files_;
  win32::Win32Dialogs dialogs_;
  win32::Win32ShellLauncher shell_;
  std::unique_ptr<Controls> controls_;
  std::unique_ptr<quorvel::MainWindow> logic_;
  std::unique_ptr<SettingsWaitWin32> waitWindow_;
};

}  // namespace quorvel_win32
