// The control wrappers on real controls: what the core sets is what the control shows.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/message_loop.h"
#include "platform/win32/win32_controls.h"
#include "tests/win32/test_window.h"

namespace {

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win32::InitControlLibraries();
    host_ = test_support::CreateHostWindow();
    ASSERT_NE(host_, nullptr);
  }
  void TearDown() override { ::DestroyWindow(host_); }
  HWND Make(const wchar_t* windowClass, const char* name, DWORD style) {
    return win32::CreateNamedControl(host_, windowClass, name, ++nextId_, WS_VISIBLE | style, "", {0, 0, 2000, 1500});
  }

  HWND host_ = nullptr;
  int nextId_ = 100;
};

TEST_F(ControlsTest, LabelKeepsChineseTextAndIsTaggedWithItsName) {
  HWND hwnd = Make(L"STATIC", "Label4", 0);
  win32::Win32Label label(hwnd);
  label.SetText("寻找打印机..");
  EXPECT_EQ(label.Text(), "寻找打印机..");
  wchar_t name[64] = {};
  auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(::GetPropW(hwnd, L"CtlName")));
  ASSERT_NE(atom, 0);
  ::GlobalGetAtomNameW(atom, name, 64);
  EXPECT_STREQ(name, L"Label4");

  label.SetEnabled(false);
  EXPECT_FALSE(label.Enabled());
  label.SetVisible(false);
  EXPECT_FALSE(label.Visible());
}

TEST_F(ControlsTest, ListBoxKeepsOrderAndSelection) {
  win32::Win32ListBox list(Make(L"LISTBOX", "List3", WS_VSCROLL | LBS_NOTIFY));
  list.Add("Vollenby V1");
  list.Add("KESTRAMO 中文");
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Item(1), "KESTRAMO 中文");
  EXPECT_EQ(list.Selected(), platform::kNoSelection);
  list.Select(1);
  EXPECT_EQ(list.Selected(), 1);
  list.Select(platform::kNoSelection);
  EXPECT_EQ(list.Selected(), platform::kNoSelection);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(ControlsTest, ComboBoxSelectionGivesItsText) {
  win32::Win32ComboBox combo(Make(L"COMBOBOX", "Combo8", CBS_DROPDOWN | WS_VSCROLL));
  combo.Add("0 mm");
  combo.Add("-2 mm");
  combo.Select(1);
  EXPECT_EQ(combo.Selected(), 1);
  EXPECT_EQ(combo.Text(), "-2 mm");
  combo.SetText("有电源保护");
  EXPECT_EQ(combo.Text(), "有电源保护");
}

TEST_F(ControlsTest, CheckBoxHoldsThreeStates) {
  win32::Win32CheckBox check(Make(L"BUTTON", "Check2", BS_AUTO3STATE));
  check.SetValue(platform::CheckValue::Grayed);
  EXPECT_EQ(check.Value(), platform::CheckValue::Grayed);
  check.SetValue(platform::CheckValue::Checked);
  EXPECT_EQ(check.Value(), platform::CheckValue::Checked);
}

TEST_F(ControlsTest, OptionButtonsOfAGroupExcludeEachOtherWhenSetFromCode) {
  std::vector<HWND> group;
  win32::Win32OptionButton on(Make(L"BUTTON", "Option4", BS_AUTORADIOBUTTON | WS_GROUP), &group);
  win32::Win32OptionButton off(Make(L"BUTTON", "Option5", BS_AUTORADIOBUTTON), &group);
  on.SetSelected(true);
  off.SetSelected(true);
  EXPECT_FALSE(on.Selected());
  EXPECT_TRUE(off.Selected());
}

TEST_F(ControlsTest, RichTextKeepsLineBreaks) {
  win32::Win32RichText rich(Make(L"RICHEDIT50W", "RichTextBox1", ES_MULTILINE | WS_VSCROLL));
  rich.SetText("数据读取OK\r\n软件版本：V1.5\r\n");
  EXPECT_EQ(rich.Text(), "数据读取OK\r\n软件版本：V1.5\r\n");
  rich.SetTextColor(0x800080);
}

TEST_F(ControlsTest, ProgressBarKeepsRangeAndPosition) {
  win32::Win32ProgressBar bar(Make(L"msctls_progress32", "ProgressBar1", 0));
  bar.SetRange(0, 150);
  bar.SetPosition(42);
  EXPECT_EQ(bar.Position(), 42);
  EXPECT_EQ(bar.Maximum(), 150);
}

TEST_F(ControlsTest, WindowCaptionAndEnabledState) {
  win32::Win32Window window(host_);
  window.SetCaption("热敏打印机参数设置工具V1.0--2017-12-12");
  EXPECT_EQ(window.Caption(), "热敏打印机参数设置工具V1.0--2017-12-12");
  window.SetEnabled(false);
  EXPECT_FALSE(window.Enabled());
  window.SetEnabled(true);
  EXPECT_TRUE(window.Enabled());
}

}  // namespace
