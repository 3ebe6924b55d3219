#include <windows.h>

#include "driver_installer/win32/installer_window_win32.h"
#include "driver_installer/win32/wmi_service.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/system_library.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  // Started elevated from wherever it was unpacked: no DLL from that folder may load.
  win32::RestrictDllSearch();
  // A second copy would start the spooler and install everything again at the same moment.
  win32::SingleInstance instance(L"Local\\OmbletDriverInstaller");
  if (!instance.IsFirst()) {
    win32::BringToFront(omblet_win32::kInstallerWindowClass);
    return 0;
  }
  win32::FitLayoutToScreen(omblet_win32::kInstallerClientTwips.width, omblet_win32::kInstallerClientTwips.height);
  win32::ComApartment com;
  win32::InitControlLibraries();
  std::unique_ptr<platform::Wmi> wmi = omblet_win32::MakeWmiService();
  omblet_win32::InstallerWindowWin32 mainWindow(*wmi);
  if (!mainWindow.Create()) return 1;
  ::ShowWindow(mainWindow.Handle(), show);
  ::UpdateWindow(mainWindow.Handle());
  return win32::RunMessageLoop();
}
