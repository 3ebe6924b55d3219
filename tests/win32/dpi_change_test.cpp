// A window moved to a monitor of another scale: Windows sends WM_DPICHANGED with the rectangle it suggests, and the
// window draws its controls and fonts at the new scale.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/base_window.h"
#include "platform/win32/unique_handles.h"

namespace {

constexpr UINT kDpiChanged = 0x02E0;

class ScaledWindow : public win32::BaseWindow<ScaledWindow> {
 public:
  bool Create() { return CreateTopLevel(L"ScaledTestWindow", WS_OVERLAPPEDWINDOW, 400, 300, nullptr); }
  using BaseWindow::LayoutDpi;
  HWND button = nullptr;
  HWND combo = nullptr;
  win32::UniqueGdiObject font;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) {
      font.Reset(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
      button = ::CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE, 10, 20, 80, 30, Handle(), nullptr,
                                 nullptr, nullptr);
      combo = ::CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 100, 20, 120, 200,
                                Handle(), nullptr, nullptr, nullptr);
      ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
      return 0;
    }
    return DefaultHandling(message, wParam, lParam);
  }
};

RECT ClientRectOf(HWND child) {
  RECT box{};
  ::GetWindowRect(child, &box);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&box), 2);
  return box;
}

TEST(DpiChange, ControlsAndFontsFollowTheNewScaleAndTheWindowTakesTheSuggestedRectangle) {
  {
    ScaledWindow window;
    ASSERT_TRUE(window.Create());
    const int from = window.LayoutDpi();
    const RECT buttonBefore = ClientRectOf(window.button);
    RECT droppedBefore{};
    ::SendMessageW(window.combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&droppedBefore));

    const int monitorTo = win32::MonitorDpiOf(window.Handle()) * 2;
    RECT suggested{50, 60, 50 + 900, 60 + 700};
    ::SendMessageW(window.Handle(), kDpiChanged, MAKEWPARAM(monitorTo, monitorTo), reinterpret_cast<LPARAM>(&suggested));

    EXPECT_EQ(window.LayoutDpi(), from * 2);
    const RECT buttonAfter = ClientRectOf(window.button);
    EXPECT_EQ(buttonAfter.left, buttonBefore.left * 2);
    EXPECT_EQ(buttonAfter.top, buttonBefore.top * 2);
    EXPECT_EQ(buttonAfter.right - buttonAfter.left, (buttonBefore.right - buttonBefore.left) * 2);
    LOGFONTW description{};
    auto scaledFont = reinterpret_cast<HFONT>(::SendMessageW(window.button, WM_GETFONT, 0, 0));
    ASSERT_TRUE(::GetObjectW(scaledFont, sizeof(description), &description));
    EXPECT_EQ(description.lfHeight, -24);
    // A combo box keeps the room of its dropped list, scaled, not just its closed height.
    RECT droppedAfter{};
    ::SendMessageW(window.combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&droppedAfter));
    EXPECT_GE(droppedAfter.bottom - droppedAfter.top, (droppedBefore.bottom - droppedBefore.top) * 2);
    RECT frame{};
    ::GetWindowRect(window.Handle(), &frame);
    EXPECT_EQ(frame.left, 50);
    EXPECT_EQ(frame.top, 60);
    EXPECT_EQ(frame.right - frame.left, 900);
    EXPECT_EQ(frame.bottom - frame.top, 700);
  }
  MSG quit;
  ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace
