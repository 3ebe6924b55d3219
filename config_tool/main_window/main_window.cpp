#include "config_tool/main_window/main_window.h"

#include "config_tool/params/model_identity_data.h"

namespace quorvel {

MainWindow::MainWindow(const MainWindowControls& controls, const MainWindowServices& services, ProcessState& process)
    : controls_(controls),
      process_(process),
      discoveryControls_{controls.window, controls.list2,        controls.list3,        controls.list4,
                         controls.label4, controls.label1,       controls.comboPrinter, controls.richTextBox1,
                         controls.check4},
      discovery_(discoveryControls_, fields_, process_, services.registry, services.spooler) {}

void MainWindow::Load() {
  fields_.settingsWriteActive = 0;
  controls_.label4.SetText("");

  // Ticking the box runs its click handler, so discovery runs once here, before the captions are set.
  controls_.check4.SetValue(platform::CheckValue::Checked);
  OnCheck4Click();

  controls_.window.SetCaption(kMainWindowCaption);
  controls_.frame4.SetText("PID 类型");
  controls_.frame5.SetText("打印机枚举列表");
  controls_.frame6.SetText("调试信息");
  controls_.frame7.SetText("自动识别打印机型号（已经连接）");
  controls_.frame12.SetText("驱动修改端口");
  controls_.check4.SetText("只检测热敏打印机");

  discovery_.ListBrandPrinters();

  controls_.label1.SetText("");
  controls_.richTextBox1.SetText("");

  controls_.list2.Clear();
  for (std::string_view model : kModelList) controls_.list2.Add(model);
  for (int i = 0; i < controls_.list2.Count(); ++i) {
    if (controls_.list2.Item(i) == kDefaultModel) controls_.list2.Select(i);
  }
}

void MainWindow::OnCheck4Click() {
  discovery_.FindPrinters();
  discovery_.ListBrandPrinters();
}

void MainWindow::OnList3Click() { discovery_.OnDetectedListClick(controls_.list3.Selected()); }

}  // namespace quorvel
