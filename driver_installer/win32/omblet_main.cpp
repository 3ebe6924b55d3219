#include <windows.h>

#include "driver_installer/win32/installer_window_win32.h"
#include "platform/win32/message_loop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  win32::InitControlLibraries();
  omblet_win32::InstallerWindowWin32 mainWindow;
  if (!mainWindow.Create()) return 1;
  ::ShowWindow(mainWindow.Handle(), show);
  ::UpdateWindow(mainWindow.Handle());
  return win32::RunMessageLoop();
}
