#pragma once
// The configuration window's behaviour, written against the control and platform interfaces.
#include <string_view>

#include "config_tool/link/printer_discovery.h"
#include "config_tool/shared_state.h"
#include "platform/interfaces/controls.h"
#include "platform/interfaces/registry.h"
#include "platform/interfaces/spooler.h"

namespace quorvel {

inline constexpr std::string_view kMainWindowCaption = "热敏打印机参数设置工具V1.0--2017-12-12";

struct MainWindowControls {
  platform::Window& window;
  platform::Label& frame4;   // around List2
  platform::Label& frame5;   // around List4
  platform::Label& frame6;   // around RichTextBox1
  platform::Label& frame7;   // around Check4, List3, Label4
  platform::Label& frame12;  // around ComboPrinter
  platform::ListBox& list2;
  platform::ListBox& list3;
  platform::ListBox& list4;
  platform::Label& label1;
  platform::Label& label4;
  platform::ComboBox& comboPrinter;
  platform::RichText& richTextBox1;
  platform::CheckBox& check4;
};

struct MainWindowServices {
  platform::Registry& registry;
  platform::Spooler& spooler;
};

class MainWindow {
 public:
  MainWindow(const MainWindowControls& controls, const MainWindowServices& services, ProcessState& process);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  void Load();
  void OnCheck4Click();
  void OnList3Click();

  const MainWindowFields& Fields() const { return fields_; }

 private:
  MainWindowControls controls_;
  ProcessState& process_;
  MainWindowFields fields_;
  DiscoveryControls discoveryControls_;
  PrinterDiscovery discovery_;
};

}  // namespace quorvel
