#include <windows.h>

#include <algorithm>
#include <memory>

#include "config_tool/shared_state.h"
#include "config_tool/win32/console_win32.h"
#include "config_tool/win32/handheld_win32.h"
#include "config_tool/win32/launcher_win32.h"
#include "config_tool/win32/main_window_win32.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_wmi.h"

namespace {

// The program's windows. The launcher opens the next one; the program ends when the last window is closed.
class QuorvelWindows : public quorvel::LauncherHost {
 public:
  explicit QuorvelWindows(int show)
      : show_(show), skin_(win32::Win32FileSystem().ProgramFolder()), console_(process_, skin_, wmi_) {}

  bool Start() {
    launcher_ = std::make_unique<quorvel_win32::LauncherWin32>(process_, skin_, *this);
    return launcher_->Create() && Show(launcher_->Handle());
  }

  void OpenMainWindow() override {
    if (!mainWindow_) {
      mainWindow_ = std::make_unique<quorvel_win32::MainWindowWin32>(process_, skin_, [this] { console_.Open(); });
    }
    if (mainWindow_->Create()) Show(mainWindow_->Handle());
  }

  void OpenHandheldWindow() override {
    if (!handheld_) handheld_ = std::make_unique<quorvel_win32::HandheldWin32>();
    if (handheld_->Create()) Show(handheld_->Handle());
  }

 private:
  bool Show(HWND window) const {
    ::ShowWindow(window, show_);
    ::UpdateWindow(window);
    return true;
  }

  int show_;
  quorvel::ProcessState process_;
  win32::Win32SkinEngine skin_;
  win32::Win32Wmi wmi_;
  quorvel_win32::ConsoleWin32 console_;  // outlives the main window that opens it
  std::unique_ptr<quorvel_win32::LauncherWin32> launcher_;
  std::unique_ptr<quorvel_win32::MainWindowWin32> mainWindow_;
  std::unique_ptr<quorvel_win32::HandheldWin32> handheld_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  win32::RestrictDllSearch();
  // The largest of the windows: the console's width, the main window's height.
  win32::FitLayoutToScreen(std::max(quorvel_win32::kConsoleClientTwips.width, quorvel_win32::kMainWindowClientTwips.width),
                           std::max(quorvel_win32::kConsoleClientTwips.height, quorvel_win32::kMainWindowClientTwips.height));
  win32::InitControlLibraries();
  win32::ComApartment com;  // the USB probe asks WMI
  QuorvelWindows windows(show);
  if (!windows.Start()) return 1;
  return win32::RunMessageLoop();
}
