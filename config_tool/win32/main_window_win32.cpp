#include "config_tool/win32/main_window_win32.h"

namespace quorvel_win32 {
namespace {
constexpr int kClientWidthTwips = 14310;
constexpr int kClientHeightTwips = 9990;
constexpr DWORD kFixedSingleNoMinMax = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
}  // namespace

bool MainWindowWin32::Create() {
  return CreateTopLevel(L"QuorvelMainWindow", kFixedSingleNoMinMax, win32::TwipsToPixels(kClientWidthTwips),
                        win32::TwipsToPixels(kClientHeightTwips), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

LRESULT MainWindowWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      window_ = std::make_unique<win32::Win32Window>(Handle());
      logic_ = std::make_unique<quorvel::MainWindow>(quorvel::MainWindowControls{*window_});
      logic_->Load();
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace quorvel_win32
