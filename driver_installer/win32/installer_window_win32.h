#pragma once
#include "platform/layout/fit_to_screen.h"
#include <array>
#include <memory>

#include "driver_installer/installer_window.h"
#include "platform/win32/base_window.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_spooler.h"

namespace omblet_win32 {

inline constexpr wchar_t kInstallerWindowClass[] = L"OmbletInstallerWindow";
inline constexpr platform::PixelSize kInstallerClientTwips{10215, 6795};

// Creates the installer window Form1 and forwards its load and timer ticks to omblet::InstallerWindow.
class InstallerWindowWin32 : public win32::BaseWindow<InstallerWindowWin32> {
 public:
  explicit InstallerWindowWin32(platform::Wmi& wmi);
  ~InstallerWindowWin32() override;
  bool Create();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Controls;
  void CreateControls();
  LRESULT LabelColours(HDC dc);
  HBRUSH Background() const;

  platform::Wmi& wmi_;
  win32::Win32Registry registry_;
  win32::Win32Spooler spooler_;
  win32::Win32ProcessLauncher launcher_;
  win32::Win32Dialogs dialogs_;
  win32::Win32FileSystem fileSystem_;
  HBRUSH background_;
  HFONT font_ = nullptr;
  std::unique_ptr<Controls> controls_;
  std::unique_ptr<omblet::InstallerWindow> logic_;
};

}  // namespace omblet_win32
