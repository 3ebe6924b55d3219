#include "config_tool/win32/settings_wait_win32.h"

#include <commctrl.h>

namespace quorvel_win32 {
namespace {
constexpr UINT_PTR kTimer1 = 1;
constexpr int kProgressBar1 = 101;
}  // namespace

bool SettingsWaitWin32::Create(HWND owner) {
  if (!CreateTopLevel(L"QuorvelSettingsWait", WS_POPUP | WS_CAPTION | WS_BORDER, win32::TwipsToPixels(4800),
                      win32::TwipsToPixels(900), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), owner)) {
    return false;
  }
  ::SetWindowTextW(Handle(), kSettingsWaitCaption);
  ::ShowWindow(Handle(), SW_SHOW);
  return true;
}

LRESULT SettingsWaitWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      HWND bar = win32::CreateNamedControl(Handle(), PROGRESS_CLASSW, "ProgressBar1", kProgressBar1, WS_VISIBLE, "",
                                           {240, 240, 4320, 420});
      window_ = std::make_unique<win32::Win32Window>(Handle());
      progress_ = std::make_unique<win32::Win32ProgressBar>(bar);
      timer1_ = std::make_unique<win32::Win32Timer>(Handle(), kTimer1);
      logic_ = std::make_unique<quorvel::SettingsWaitWindow>(
          quorvel::SettingsWaitControls{*window_, *progress_, *timer1_}, targets_, skin_);
      logic_->Load();
      UseDialogKeys();
      return 0;
    }
    case WM_TIMER:
      if (wParam == kTimer1 && logic_) logic_->OnTimer1Tick();
      return 0;
    case WM_CLOSE:
      // Only the end of the wait closes it: closing early would leave the main window disabled.
      if (logic_ && logic_->Ticks() >= quorvel::kWaitTicks) ::DestroyWindow(Handle());
      return 0;
    case WM_DESTROY:
      timer1_.reset();
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace quorvel_win32
