#pragma once
#include "platform/layout/fit_to_screen.h"
#include <memory>

#include "config_tool/console/command_console.h"
#include "platform/win32/base_window.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_spooler.h"

namespace quorvel_win32 {

inline constexpr platform::PixelSize kConsoleClientTwips{15000, 9000};

// The command console window (Form1): a resizable window whose moving controls follow the core's geometry.
class ConsoleWin32 : public win32::BaseWindow<ConsoleWin32> {
 public:
  ConsoleWin32(const quorvel::ProcessState& process, platform::SkinEngine& skin, platform::Wmi& wmi);
  ~ConsoleWin32() override;
  // Opens the console, or brings the open one to the front.
  void Open();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Controls;
  void OnCommand(int id, int notification);
  void OnTextBoxClick(HWND box);
  bool OnViewKey(HWND box, WPARAM key);
  void OnEscape();
  void ApplyGeometry();
  void ClientSizeTwips(int& width, int& height) const;

  const quorvel::ProcessState& process_;
  platform::SkinEngine& skin_;
  platform::Wmi& wmi_;
  win32::UniqueGdiObject font_;
  win32::Win32Spooler spooler_;
  win32::Win32FileSystem files_;
  win32::Win32Dialogs dialogs_;
  win32::Win32TextCodec codec_;
  std::unique_ptr<Controls> controls_;
  std::unique_ptr<quorvel::CommandConsole> logic_;
};

}  // namespace quorvel_win32
