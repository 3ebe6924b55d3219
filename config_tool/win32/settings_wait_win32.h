#pragma once
#include <memory>

#include "config_tool/console/settings_wait_window.h"
#include "platform/win32/base_window.h"
#include "platform/win32/win32_controls.h"

namespace quorvel_win32 {

inline constexpr wchar_t kSettingsWaitCaption[] = L"参数设置中，请稍候";

// The settings wait window: a progress bar and its timer, driven by quorvel::SettingsWaitWindow.
class SettingsWaitWin32 : public win32::BaseWindow<SettingsWaitWin32> {
 public:
  SettingsWaitWin32(const quorvel::SettingsWaitTargets& targets, platform::SkinEngine& skin)
      : targets_(targets), skin_(skin) {}
  bool Create(HWND owner);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  quorvel::SettingsWaitTargets targets_;
  platform::SkinEngine& skin_;
  std::unique_ptr<win32::Win32Window> window_;
  std::unique_ptr<win32::Win32ProgressBar> progress_;
  std::unique_ptr<win32::Win32Timer> timer1_;
  std::unique_ptr<quorvel::SettingsWaitWindow> logic_;
};

}  // namespace quorvel_win32
