#include "config_tool/main_window/main_window.h"

#include <string>

#include "config_tool/params/model_identity_data.h"

namespace quorvel {
namespace {

// Captions of the window's frames, fixed labels and buttons.
constexpr std::pair<std::string_view, std::string_view> kCaptions[] = {
    {"Frame8", "打印头打印长度（寿命）"},
    {"Frame16", "Style"},
    {"Frame18", "打印偏移量"},
    {"LabelLength", "0.000m"},
    {"Label6", "Y"},
    {"Command1", "选择皮肤"},
    {"Command2", "透明边框"},
    {"Command3", "取消透明"},
    {"Command5", "安装406DPI驱动"},
    {"Command6", "文件打印"},
    {"Command7", "安装驱动"},
    {"Command10", "设置端口"},
    {"Frame2", "传感器类型"},
    {"Frame3", "驱动兼容性"},
    {"Frame4", "PID 类型"},
    {"Frame5", "打印机枚举列表"},
    {"Frame6", "调试信息"},
    {"Frame7", "自动识别打印机型号（已经连接）"},
    {"Frame9", "USB定位"},
    {"Frame10", "速度限制设置"},
    {"Frame11", "外传感器设置"},
    {"Frame12", "驱动修改端口"},
    {"Frame13", "打印机类型"},
    {"Frame14", "位置调整"},
    {"Frame15", "固定浓度（兼容老驱动）"},
    {"Frame17", "强制关闭前传感器"},
    {"Label5", "Y"},
    {"Command4", "设置"},
    {"Command8", "读参数（全部参数）"},
};

std::string PositionItem(int index) {
  if (index == 0) return "默认位置";
  return index <= 10 ? "+" + std::to_string(index) + " mm" : "-" + std::to_string(index - 10) + " mm";
}

std::string OffsetItem(int index) {
  if (index == 0) return "0 mm";
  return index <= 10 ? "-" + std::to_string(2 * index) + " mm" : "+" + std::to_string(2 * (index - 10)) + " mm";
}

}  // namespace

MainWindow::MainWindow(const MainWindowControls& controls, const MainWindowServices& services, ProcessState& process,
                       MainWindowHost& host)
    : controls_(controls),
      process_(process),
      channel_(services.devices, services.background),
      discovery_(controls_, fields_, process_, services.registry, services.spooler),
      decoder_(controls_, fields_, process_, [this] { OnCombo6Click(); }),
      reader_(controls_, fields_, process_, discovery_, channel_, decoder_),
      writer_(controls_, fields_, process_, discovery_, channel_, host, [this] { Reload(); }),
      skins_(controls_.list1, controls_.window, services.skins),
      installation_(controls_, process_, discovery_, {services.shell, services.skins.files, services.skins.dialogs},
                    host) {}

void MainWindow::Load() {
  fields_.settingsWriteActive = 0;
  controls_.label4.SetText("");
  controls_.timer4.SetEnabled(false);

  // Ticking the box runs its click handler, so discovery runs once here, before the captions are set.
  controls_.check4.SetValue(platform::CheckValue::Checked);
  OnCheck4Click();

  // The language flag is left as the launcher set it: messages follow the user's choice, captions stay Chinese.
  SetCaptions();
  FillLists();

  discovery_.ListBrandPrinters();

  controls_.timer3.SetEnabled(true);
  controls_.timer3.SetInterval(kAutoReadIntervalMs);
  // A found printer is read once at the first automatic-read tick, so that the controls start from what it holds:
  // a Set from the defaults would overwrite every setting the user did not touch.
  process_.paramsReadDone = controls_.list3.Count() > 0 ? 0 : 1;

  controls_.label1.SetText("");
  controls_.richTextBox1.SetText("");
  controls_.option4.SetSelected(true);

  skins_.Start(DressedWindow::MainWindow);

  controls_.option1.SetSelected(true);
  FillPositionLists();

  controls_.list2.Clear();
  for (std::string_view model : kModelList) controls_.list2.Add(model);
  for (int i = 0; i < controls_.list2.Count(); ++i) {
    if (controls_.list2.Item(i) == kDefaultModel) controls_.list2.Select(i);
  }
}

void MainWindow::SetCaptions() {
  controls_.window.SetCaption(kMainWindowCaption);
  for (const auto& [name, caption] : kCaptions) controls_.captions.SetCaption(name, caption);
  controls_.check1.SetText("驱动兼容性（打开执行页擦除命令）");
  controls_.check2.SetText("自动读取（打印当中不能开启）");
  controls_.check4.SetText("只检测热敏打印机");
  controls_.check5.SetText("固定浓度10");
  controls_.checkCloseOutSensor.SetText("关闭前传感器");
  controls_.option1.SetText("缝隙");
  controls_.option2.SetText("黑标");
  controls_.option3.SetText("连续打印");
  controls_.option4.SetText("打开");
  controls_.option5.SetText("关闭");
}

// The start and tear-off positions are shown only; nothing reads or sends them.
void MainWindow::FillPositionLists() {
  controls_.captions.SetCaption("Frame1", "打印起始位置 撕纸位置");
  controls_.captions.SetCaption("Label2", "撕纸位置");
  controls_.captions.SetCaption("Label3", "打印位置");
  for (platform::ComboBox* combo : {&controls_.combo1, &controls_.combo2}) {
    for (int i = 0; i <= 20; ++i) combo->Add(PositionItem(i));
    combo->Select(0);
  }
}

void MainWindow::FillLists() {
  // Selected, not only captioned: what the list shows is what the Set button sends.
  controls_.combo7.Clear();
  controls_.combo7.Add("有电源保护");
  controls_.combo7.Add("无电源保护");
  controls_.combo7.Select(0);
  controls_.combo6.Clear();
  controls_.combo6.Add("外置电源");
  controls_.combo6.Add("内置电源");
  controls_.combo5.Clear();
  controls_.combo5.Add("带前面传感器");
  controls_.combo5.Add("不带传感器");
  controls_.combo5.Select(0);
  controls_.combo4.Clear();
  controls_.combo4.Add("关闭（新马达频率快）");
  controls_.combo4.Add("打开（老马达每步时间大于1200US）");
  controls_.combo4.Select(0);
  controls_.combo8.Clear();
  for (int i = 0; i <= 20; ++i) controls_.combo8.Add(OffsetItem(i));
  controls_.combo8.Select(0);
  controls_.combo6.Select(0);
  OnCombo6Click();
}

void MainWindow::OnCheck4Click() {
  discovery_.FindPrinters();
  discovery_.ListBrandPrinters();
}

void MainWindow::OnList3Click() { discovery_.OnDetectedListClick(controls_.list3.Selected()); }

// The head protection choice matters only for a mechanism on internal power.
void MainWindow::OnCombo6Click() { controls_.combo7.SetEnabled(controls_.combo6.Selected() == 1); }

void MainWindow::Reload() {
  channel_.CloseReply();
  controls_.timer3.SetEnabled(false);
  controls_.timer3.SetInterval(0);
  controls_.timer4.SetEnabled(false);
  controls_.timer4.SetInterval(0);
  fields_ = MainWindowFields{};
  for (platform::ListBox* list : {&controls_.list1, &controls_.list2, &controls_.list3, &controls_.list4}) {
    list->Clear();
  }
  for (platform::ComboBox* combo : {&controls_.comboPrinter, &controls_.combo1, &controls_.combo2, &controls_.combo4, &controls_.combo5, &controls_.combo6,
                                    &controls_.combo7, &controls_.combo8}) {
    combo->Clear();
    combo->SetEnabled(true);
  }
  for (platform::CheckBox* check : {&controls_.check1, &controls_.check2, &controls_.check4, &controls_.check5,
                                    &controls_.checkCloseOutSensor}) {
    check->SetValue(platform::CheckValue::Unchecked);
  }
  for (platform::OptionButton* option :
       {&controls_.option1, &controls_.option2, &controls_.option3, &controls_.option4, &controls_.option5}) {
    option->SetSelected(false);
  }
  controls_.label1.SetText("");
  controls_.label4.SetText("");
  controls_.richTextBox1.SetText("");
  controls_.window.SetEnabled(true);
  Load();
}

}  // namespace quorvel
