#include <gtest/gtest.h>

#include "tests/unit/main_window_fixture.h"

namespace {

TEST(MainWindowLoad, CaptionsListsAndDiscoveryWithNoPrinterAttached) {
  test_support::MainWindowFixture f;
  f.spooler.printers = {"Microsoft Print to PDF", "KESTRAMO K-108"};
  f.mainWindow.Load();

  EXPECT_EQ(f.window.Caption(), "热敏打印机参数设置工具V1.0--2017-12-12");
  EXPECT_EQ(f.captions.Caption("Frame7"), "自动识别打印机型号（已经连接）");
  EXPECT_EQ(f.check4.Value(), platform::CheckValue::Checked);
  EXPECT_EQ(f.list4.Count(), 0);
  EXPECT_EQ(f.list3.Count(), 0);
  EXPECT_EQ(f.label4.Text(), "");
  EXPECT_EQ(f.richTextBox1.Text(), "");  // discovery's progress text is emptied by the load
  EXPECT_EQ(f.comboPrinter.items, std::vector<std::string>{"KESTRAMO K-108"});
  EXPECT_EQ(f.comboPrinter.Selected(), 0);

  ASSERT_EQ(f.list2.Count(), 76);
  EXPECT_EQ(f.list2.Item(f.list2.Selected()), "KESTRAMO K-208");
}

TEST(MainWindowLoad, DiscoveryRunsBeforeTheModelListIsFilled) {
  test_support::MainWindowFixture f;
  f.AttachPrinter("0", "USB\\VID_1A86&PID_2000\\A1", 1);
  f.mainWindow.Load();
  // The lookup ran on the still empty model list, so the load's default selection stands.
  EXPECT_EQ(f.list3.items, std::vector<std::string>{"KESTRAMO K-108"});
  EXPECT_EQ(f.list2.Item(f.list2.Selected()), "KESTRAMO K-208");
  EXPECT_EQ(f.label4.Text(), "USB001");
}

}  // namespace
