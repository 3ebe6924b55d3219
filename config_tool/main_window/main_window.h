#pragma once
// The configuration window's behaviour: its load, its handlers and its timer ticks.
#include <string_view>

#include "config_tool/console/skin_procedures.h"
#include "config_tool/link/device_channel.h"
#include "config_tool/link/parameter_reader.h"
#include "config_tool/link/printer_discovery.h"
#include "config_tool/main_window/driver_installation.h"
#include "config_tool/main_window_context.h"
#include "config_tool/params/reply_decoder.h"
#include "config_tool/params/settings_writer.h"
#include "config_tool/shared_state.h"

namespace quorvel {

inline constexpr std::string_view kMainWindowCaption = "热敏打印机参数设置工具V1.0--2017-12-12";

class MainWindow {
 public:
  MainWindow(const MainWindowControls& controls, const MainWindowServices& services, ProcessState& process,
             MainWindowHost& host);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  void Load();
  void OnCheck4Click();
  void OnList3Click();
  void OnCombo6Click();
  void OnCommand8Click() { reader_.ReadParameters(); }
  void OnCommand4Click() { writer_.Set(); }
  void OnTimer3Tick() { reader_.OnTimer3Tick(); }
  void OnTimer4Tick() { reader_.OnTimer4Tick(); }
  void OnCommand1Click() { skins_.ChooseAndApply(); }
  void OnCommand2Click() { skins_.SetTransparentBorder(true); }
  void OnCommand3Click() { skins_.SetTransparentBorder(false); }
  void OnList1DoubleClick() { skins_.ApplySelected(); }
  void OnCommand5Click() { installation_.OnCommand5Click(); }
  void OnCommand6Click() { installation_.OnCommand6Click(); }
  void OnCommand7Click() { installation_.OnCommand7Click(); }

  const MainWindowFields& Fields() const { return fields_; }

 private:
  void SetCaptions();
  void FillLists();
  void FillPositionLists();
  // Unloading and showing the window again: everything back to its state before the load, then the load.
  void Reload();

  MainWindowControls controls_;
  ProcessState& process_;
  MainWindowFields fields_;
  DeviceChannel channel_;
  PrinterDiscovery discovery_;
  ReplyDecoder decoder_;
  ParameterReader reader_;
  SettingsWriter writer_;
  SkinProcedures skins_;
  DriverInstallation installation_;
};

}  // namespace quorvel
