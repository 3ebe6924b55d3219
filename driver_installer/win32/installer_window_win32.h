#pragma once
#include <memory>

#include "driver_installer/installer_window.h"
#include "platform/win32/base_window.h"
#include "platform/win32/win32_controls.h"

namespace omblet_win32 {

// Creates the installer window and forwards its events to omblet::InstallerWindow.
class InstallerWindowWin32 : public win32::BaseWindow<InstallerWindowWin32> {
 public:
  InstallerWindowWin32();
  ~InstallerWindowWin32() override;
  bool Create();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HBRUSH background_;
  std::unique_ptr<win32::Win32Window> window_;
  std::unique_ptr<omblet::InstallerWindow> logic_;
};

}  // namespace omblet_win32
