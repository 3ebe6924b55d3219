#pragma once
// What the main window's parts work on: its controls, its timers and the platform services.
#include "config_tool/console/skin_procedures.h"
#include "platform/interfaces/background_work.h"
#include "platform/interfaces/controls.h"
#include "platform/interfaces/device_file.h"
#include "platform/interfaces/registry.h"
#include "platform/interfaces/shell_launcher.h"
#include "platform/interfaces/spooler.h"
#include "platform/interfaces/timer.h"

namespace quorvel {

struct MainWindowControls {
  platform::Window& window;
  platform::Captions& captions;  // frames, fixed labels and buttons, by name
  platform::ListBox& list1;      // skin list
  platform::ListBox& list2;      // model list, "PID 类型"
  platform::ListBox& list3;      // detected printer model
  platform::ListBox& list4;      // enumerated printer interfaces
  platform::Label& label1;       // model the user clicked in List3
  platform::Label& label4;       // port of the current printer
  platform::ComboBox& comboPrinter;  // brand printers known to the spooler
  platform::RichText& richTextBox1;  // debug view
  platform::CheckBox& check1;        // driver compatibility
  platform::CheckBox& check2;        // automatic read
  platform::CheckBox& check4;        // thermal printers only
  platform::CheckBox& check5;        // constant density
  platform::CheckBox& checkCloseOutSensor;
  platform::OptionButton& option1;  // sensor: gap
  platform::OptionButton& option2;  // sensor: black mark
  platform::OptionButton& option3;  // sensor: continuous
  platform::OptionButton& option4;  // USB positioning on
  platform::OptionButton& option5;  // USB positioning off
  platform::ComboBox& combo1;       // print start position, shown only
  platform::ComboBox& combo2;       // tear-off position, shown only
  platform::ComboBox& combo4;       // speed limit
  platform::ComboBox& combo5;       // front sensor
  platform::ComboBox& combo6;       // mechanism power supply
  platform::ComboBox& combo7;       // head protection circuit
  platform::ComboBox& combo8;       // print offset
  platform::Timer& timer3;          // automatic read
  platform::Timer& timer4;          // one-shot reply timer
};

struct MainWindowServices {
  platform::Registry& registry;
  platform::Spooler& spooler;
  platform::DeviceFiles& devices;
  platform::BackgroundWork& background;  // where device writes and reply collections wait
  SkinServices skins;
  platform::ShellLauncher& shell;
};

// Windows the main window opens.
class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  virtual void OpenSettingsWait() = 0;
  // Shows the command console, creating it when it is not open; never a second one.
  virtual void OpenConsole() = 0;
};

}  // namespace quorvel
