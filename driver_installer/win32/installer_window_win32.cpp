#include "driver_installer/win32/installer_window_win32.h"

namespace omblet_win32 {
namespace {
constexpr int kClientWidthTwips = 10215;
constexpr int kClientHeightTwips = 6795;
constexpr COLORREF kNavy = RGB(0, 0, 128);
}  // namespace

InstallerWindowWin32::InstallerWindowWin32() : background_(::CreateSolidBrush(kNavy)) {}

InstallerWindowWin32::~InstallerWindowWin32() { ::DeleteObject(background_); }

bool InstallerWindowWin32::Create() {
  return CreateTopLevel(L"OmbletInstallerWindow", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                        win32::TwipsToPixels(kClientWidthTwips), win32::TwipsToPixels(kClientHeightTwips),
                        background_);
}

LRESULT InstallerWindowWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      window_ = std::make_unique<win32::Win32Window>(Handle());
      logic_ = std::make_unique<omblet::InstallerWindow>(omblet::InstallerControls{*window_});
      logic_->Load();
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace omblet_win32
