// The dialog keys applied to real controls: z-order and tab stops from the reading order, hidden name labels,
// Enter and Esc as dialog commands, and multi-line boxes that let Tab and Esc go.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/base_window.h"
#include "platform/win32/win32_controls.h"

namespace {

enum : int { kFrame = 10, kList = 11, kButton = 12, kBelow = 13, kBox = 14, kOther = 15 };

class KeyedWindow : public win32::BaseWindow<KeyedWindow> {
 public:
  bool Create() { return CreateTopLevel(L"KeyedTestWindow", WS_OVERLAPPEDWINDOW, 400, 300, nullptr); }
  std::vector<std::pair<int, int>> commands;  // (id, notification) the window's procedure received
  HWND Child(int id) const { return ::GetDlgItem(Handle(), id); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) {
      // Made in an order that is not the reading order: the button on the right first, the framed list last.
      Make(L"BUTTON", "Button", kButton, BS_PUSHBUTTON, 300, 20, 80, 30);
      Make(L"LISTBOX", "Below", kBelow, LBS_NOTIFY, 20, 400, 100, 50);  // under the client area
      Make(L"EDIT", "Box", kBox, ES_MULTILINE | ES_WANTRETURN, 20, 200, 200, 60);
      Make(L"BUTTON", "Frame", kFrame, BS_GROUPBOX, 10, 10, 200, 150);
      Make(L"LISTBOX", "List", kList, LBS_NOTIFY, 20, 30, 180, 100);
      ::SetWindowTextW(Child(kFrame), L"型号");
      win32::LeaveOnTabAndEscape(Child(kBox));
      UseDialogKeys({{"Box", "发送数据"}});
      return 0;
    }
    if (message == WM_COMMAND) {
      commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
      if (Keyboard()) Keyboard()->Arrange();
    }
    return DefaultHandling(message, wParam, lParam);
  }

 private:
  void Make(const wchar_t* cls, const char* name, int id, DWORD style, int x, int y, int w, int h) {
    HWND control = ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, w, h, Handle(),
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                                     nullptr);
    ATOM atom = ::GlobalAddAtomA(name);
    ::SetPropW(control, L"CtlName", reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
  }
};

std::wstring TextOf(HWND hwnd) {
  wchar_t text[256] = {};
  ::GetWindowTextW(hwnd, text, 256);
  return text;
}

void DrainQuit() {
  MSG quit;
  ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(DialogKeyboard, TabStopsFollowTheReadingOrderAndSkipWhatIsOutOfSight) {
  {
    KeyedWindow window;
    ASSERT_TRUE(window.Create());
    std::vector<int> visited;
    HWND first = ::GetNextDlgTabItem(window.Handle(), nullptr, FALSE);
    for (HWND at = first; at && visited.size() < 10;) {
      visited.push_back(::GetDlgCtrlID(at));
      at = ::GetNextDlgTabItem(window.Handle(), at, FALSE);
      if (at == first) break;
    }
    EXPECT_EQ(visited, (std::vector<int>{kList, kButton, kBox}));
    EXPECT_FALSE(::GetWindowLongPtrW(window.Child(kBelow), GWL_STYLE) & WS_TABSTOP);
  }
  DrainQuit();
}

TEST(DialogKeyboard, AnUnlabelledBoxHasAHiddenLabelRightBeforeIt) {
  {
    KeyedWindow window;
    ASSERT_TRUE(window.Create());
    HWND listLabel = ::GetWindow(window.Child(kList), GW_HWNDPREV);
    ASSERT_NE(listLabel, nullptr);
    EXPECT_EQ(TextOf(listLabel), L"型号");  // its frame's caption
    EXPECT_FALSE(::IsWindowVisible(listLabel));
    HWND boxLabel = ::GetWindow(window.Child(kBox), GW_HWNDPREV);
    EXPECT_EQ(TextOf(boxLabel), L"发送数据");  // the name the window gives
    // Arranging again after a change reuses the labels.
    UINT before = 0;
    for (HWND c = ::GetWindow(window.Handle(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) ++before;
    ::SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(kButton, BN_CLICKED), 0);
    UINT after = 0;
    for (HWND c = ::GetWindow(window.Handle(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) ++after;
    EXPECT_EQ(before, after);
  }
  DrainQuit();
}

TEST(DialogKeyboard, EnterActsOnTheFocusedListOrButtonAndEscIsSwallowed) {
  {
    KeyedWindow window;
    ASSERT_TRUE(window.Create());
    ::ShowWindow(window.Handle(), SW_SHOW);
    ::SetFocus(window.Child(kList));
    ASSERT_EQ(::GetFocus(), window.Child(kList));
    window.commands.clear();
    ::SendMessageW(window.Handle(), WM_COMMAND, IDOK, 0);
    ASSERT_FALSE(window.commands.empty());
    EXPECT_EQ(window.commands.back(), std::make_pair(static_cast<int>(kList), static_cast<int>(LBN_DBLCLK)));

    ::SetFocus(window.Child(kButton));
    window.commands.clear();
    ::SendMessageW(window.Handle(), WM_COMMAND, IDOK, 0);
    ASSERT_FALSE(window.commands.empty());
    EXPECT_EQ(window.commands.back(), std::make_pair(static_cast<int>(kButton), static_cast<int>(BN_CLICKED)));

    window.commands.clear();
    ::SendMessageW(window.Handle(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(window.commands.empty());  // taken by the dialog keys, not handed on
    EXPECT_TRUE(::IsWindow(window.Handle()));
  }
  DrainQuit();
}

TEST(DialogKeyboard, AMultiLineBoxLetsTabAndEscGoButKeepsOtherKeys) {
  {
    KeyedWindow window;
    ASSERT_TRUE(window.Create());
    HWND box = window.Child(kBox);
    auto codeFor = [&](WPARAM key) {
      MSG message{box, WM_KEYDOWN, key, 0, 0, {0, 0}};
      return ::SendMessageW(box, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&message));
    };
    EXPECT_FALSE(codeFor(VK_TAB) & (DLGC_WANTALLKEYS | DLGC_WANTTAB));
    EXPECT_FALSE(codeFor(VK_ESCAPE) & DLGC_WANTALLKEYS);
    EXPECT_TRUE(codeFor(VK_RETURN) & DLGC_WANTALLKEYS);  // Enter still starts a new line
    EXPECT_FALSE(codeFor('A') & DLGC_HASSETSEL);          // arriving by Tab selects nothing to type over
  }
  DrainQuit();
}

}  // namespace

// A shortcut arrives as a command from an accelerator (notification 1, no control): it presses the button of its
// id while that button is shown and enabled, and does nothing else.
TEST(DialogKeyboard, AShortcutPressesItsButtonOnlyWhileTheButtonIsShownAndEnabled) {
  {
    KeyedWindow window;
    ASSERT_TRUE(window.Create());
    ::ShowWindow(window.Handle(), SW_SHOW);
    struct Case {
      const char* what;
      bool shown, enabled, pressed;
    };
    const Case cases[] = {{"shown and enabled", true, true, true},
                          {"hidden", false, true, false},
                          {"disabled", true, false, false}};
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      ::ShowWindow(window.Child(kButton), c.shown ? SW_SHOW : SW_HIDE);
      ::EnableWindow(window.Child(kButton), c.enabled);
      window.commands.clear();
      ::SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(kButton, 1), 0);
      const bool pressed =
          std::find(window.commands.begin(), window.commands.end(),
                    std::make_pair(static_cast<int>(kButton), static_cast<int>(BN_CLICKED))) != window.commands.end();
      EXPECT_EQ(pressed, c.pressed);
      EXPECT_EQ(std::count(window.commands.begin(), window.commands.end(),
                           std::make_pair(static_cast<int>(kButton), 1)), 0);  // not handed on as it came
    }
  }
  DrainQuit();
}
