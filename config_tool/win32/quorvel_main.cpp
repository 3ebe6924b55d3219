#include <windows.h>

#include "config_tool/shared_state.h"
#include "config_tool/win32/main_window_win32.h"
#include "platform/win32/message_loop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  win32::InitControlLibraries();
  quorvel::ProcessState process;
  quorvel_win32::MainWindowWin32 mainWindow(process);
  if (!mainWindow.Create()) return 1;
  ::ShowWindow(mainWindow.Handle(), show);
  ::UpdateWindow(mainWindow.Handle());
  return win32::RunMessageLoop();
}
