#pragma once
#include <memory>

#include "config_tool/main_window/main_window.h"
#include "platform/win32/base_window.h"
#include "platform/win32/win32_controls.h"

namespace quorvel_win32 {

// Creates the configuration window and its controls and forwards their events to quorvel::MainWindow.
class MainWindowWin32 : public win32::BaseWindow<MainWindowWin32> {
 public:
  bool Create();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  std::unique_ptr<win32::Win32Window> window_;
  std::unique_ptr<quorvel::MainWindow> logic_;
};

}  // namespace quorvel_win32
