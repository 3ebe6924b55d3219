#include <windows.h>

#include "config_tool/shared_state.h"
#include "config_tool/win32/main_window_win32.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/win32_services.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  win32::InitControlLibraries();
  quorvel::ProcessState process;
  win32::Win32SkinEngine skin(win32::Win32FileSystem().ProgramFolder());
  quorvel_win32::MainWindowWin32 mainWindow(process, skin);
  if (!mainWindow.Create()) return 1;
  ::ShowWindow(mainWindow.Handle(), show);
  ::UpdateWindow(mainWindow.Handle());
  return win32::RunMessageLoop();
}
