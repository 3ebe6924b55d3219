#pragma once
#include <memory>

#include "config_tool/console/launcher_window.h"
#include "platform/win32/base_window.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_services.h"

namespace quorvel_win32 {

// The launcher window (Form4) and its controls; events go to quorvel::LauncherWindow.
class LauncherWin32 : public win32::BaseWindow<LauncherWin32> {
 public:
  LauncherWin32(quorvel::ProcessState& process, platform::SkinEngine& skin, quorvel::LauncherHost& host);
  ~LauncherWin32() override;
  bool Create();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Controls;

  quorvel::ProcessState& process_;
  platform::SkinEngine& skin_;
  quorvel::LauncherHost& host_;
  win32::UniqueGdiObject font_;
  win32::Win32FileSystem files_;
  win32::Win32Dialogs dialogs_;
  std::unique_ptr<Controls> controls_;
  std::unique_ptr<quorvel::LauncherWindow> logic_;
};

}  // namespace quorvel_win32
