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

TEST(MainWindowLoad, AFoundPrinterIsReadOnceSoTheControlsStartFromItsSettings) {
  test_support::MainWindowFixture f;
  const std::string instance = "USB\\VID_1A86&PID_2000\\A1";
  f.AttachPrinter("0", instance, 1);
  auto& printer = f.devices.Endpoint(test_support::MainWindowFixture::DevicePath(instance));
  f.mainWindow.Load();
  EXPECT_TRUE(printer.writes.empty());
  f.mainWindow.OnTimer3Tick();  // the first automatic-read tick
  ASSERT_EQ(printer.writes.size(), 1u);
  EXPECT_EQ(std::string(printer.writes[0].begin(), printer.writes[0].end()), "RETURN VALUE\r\n");
  f.mainWindow.OnTimer3Tick();
  EXPECT_EQ(printer.writes.size(), 1u);  // once, not every tick

  test_support::MainWindowFixture none;  // nothing attached: nothing to read
  none.mainWindow.Load();
  EXPECT_EQ(none.process.paramsReadDone, 1);
}

TEST(MainWindowLoad, EveryControlShowsItsCaptionItemsAndState) {
  test_support::MainWindowFixture f;
  f.process.language = 0;  // English chosen in the launcher
  f.mainWindow.Load();

  EXPECT_EQ(f.process.language, 0);  // messages keep following the launcher's choice
  EXPECT_EQ(f.process.paramsReadDone, 1);
  EXPECT_EQ(f.mainWindow.Fields().settingsWriteActive, 0);
  const std::pair<const char*, const char*> captions[] = {
      {"Frame1", "打印起始位置 撕纸位置"}, {"Frame2", "传感器类型"}, {"Frame3", "驱动兼容性"},
      {"Frame4", "PID 类型"}, {"Frame5", "打印机枚举列表"}, {"Frame6", "调试信息"},
      {"Frame8", "打印头打印长度（寿命）"}, {"Frame9", "USB定位"}, {"Frame10", "速度限制设置"},
      {"Frame11", "外传感器设置"}, {"Frame12", "驱动修改端口"}, {"Frame13", "打印机类型"},
      {"Frame14", "位置调整"}, {"Frame15", "固定浓度（兼容老驱动）"}, {"Frame16", "Style"},
      {"Frame17", "强制关闭前传感器"}, {"Frame18", "打印偏移量"}, {"Label2", "撕纸位置"},
      {"Label3", "打印位置"}, {"Label5", "Y"}, {"Label6", "Y"}, {"LabelLength", "0.000m"},
      {"Command1", "选择皮肤"}, {"Command2", "透明边框"}, {"Command3", "取消透明"},
      {"Command4", "设置"}, {"Command5", "安装406DPI驱动"}, {"Command6", "文件打印"},
      {"Command7", "安装驱动"}, {"Command8", "读参数（全部参数）"}, {"Command10", "设置端口"}};
  for (const auto& [name, caption] : captions) EXPECT_EQ(f.captions.Caption(name), caption) << name;

  for (const fakes::FakeComboBox* position : {&f.combo1, &f.combo2}) {
    ASSERT_EQ(position->Count(), 21);
    EXPECT_EQ(position->Item(0), "默认位置");
    EXPECT_EQ(position->Item(1), "+1 mm");
    EXPECT_EQ(position->Item(10), "+10 mm");
    EXPECT_EQ(position->Item(11), "-1 mm");
    EXPECT_EQ(position->Item(20), "-10 mm");
    EXPECT_EQ(position->Selected(), 0);
  }
  ASSERT_EQ(f.combo8.Count(), 21);
  EXPECT_EQ(f.combo8.Item(10), "-20 mm");
  EXPECT_EQ(f.combo8.Item(11), "+2 mm");
  EXPECT_EQ(f.combo8.Selected(), 0);
  EXPECT_EQ(f.combo5.items, (std::vector<std::string>{"带前面传感器", "不带传感器"}));
  EXPECT_EQ(f.combo4.items, (std::vector<std::string>{"关闭（新马达频率快）", "打开（老马达每步时间大于1200US）"}));
  EXPECT_EQ(f.combo6.Selected(), 0);
  EXPECT_EQ(f.combo7.Item(f.combo7.Selected()), "有电源保护");
  EXPECT_FALSE(f.combo7.Enabled());  // external power: no head protection choice

  EXPECT_TRUE(f.option1.Selected());
  EXPECT_TRUE(f.option4.Selected());
  EXPECT_EQ(f.option3.Text(), "连续打印");
  for (const fakes::FakeCheckBox* unticked : {&f.check1, &f.check2, &f.check5, &f.checkCloseOutSensor}) {
    EXPECT_EQ(unticked->Value(), platform::CheckValue::Unchecked);
  }
  EXPECT_EQ(f.check2.Text(), "自动读取（打印当中不能开启）");
  EXPECT_TRUE(f.timer3.Running());
  EXPECT_EQ(f.timer3.Interval(), 3000u);
  EXPECT_FALSE(f.timer4.Running());
  EXPECT_EQ(f.label1.Text(), "");
}

TEST(MainWindowLoad, InternalPowerMakesTheProtectionChoiceAvailable) {
  test_support::MainWindowFixture f;
  f.mainWindow.Load();
  f.combo6.Select(1);
  f.mainWindow.OnCombo6Click();
  EXPECT_TRUE(f.combo7.Enabled());
  f.combo6.Select(0);
  f.mainWindow.OnCombo6Click();
  EXPECT_FALSE(f.combo7.Enabled());
}

}  // namespace
