#pragma once
// The main window's core on fakes: every control and service a test may look at.
#include "config_tool/main_window/main_window.h"
#include "platform/fakes/fake_background_work.h"
#include "platform/fakes/fake_controls.h"
#include "platform/fakes/fake_device_files.h"
#include "platform/fakes/fake_registry.h"
#include "platform/fakes/fake_services.h"
#include "platform/fakes/fake_shell_launcher.h"

namespace test_support {

inline constexpr const char* kEnumKey = "SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";
inline constexpr const char* kClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

struct RecordingHost : quorvel::MainWindowHost {
  void OpenSettingsWait() override { ++waitWindowsOpened; }
  void OpenConsole() override { ++consolesOpened; }
  int waitWindowsOpened = 0;
  int consolesOpened = 0;
};

struct MainWindowFixture {
  fakes::FakeWindow window;
  fakes::FakeCaptions captions;
  fakes::FakeLabel label1, label4;
  fakes::FakeListBox list1, list2, list3, list4;
  fakes::FakeComboBox comboPrinter, combo1, combo2, combo4, combo5, combo6, combo7, combo8;
  fakes::FakeRichText richTextBox1;
  fakes::FakeCheckBox check1, check2, check4, check5, checkCloseOutSensor;
  std::vector<fakes::FakeOptionButton*> sensorGroup, usbGroup;
  fakes::FakeOptionButton option1{&sensorGroup}, option2{&sensorGroup}, option3{&sensorGroup};
  fakes::FakeOptionButton option4{&usbGroup}, option5{&usbGroup};
  fakes::FakeTimer timer3, timer4;
  fakes::FakeRegistry registry;
  fakes::FakeSpooler spooler;
  fakes::FakeDeviceFiles devices;
  fakes::FakeBackgroundWork background;
  fakes::FakeSkinEngine skin;
  fakes::FakeFileSystem files;
  fakes::FakeDialogs dialogs;
  fakes::FakeShellLauncher shell;
  RecordingHost host;
  quorvel::ProcessState process;

  quorvel::MainWindowControls controls{
      window,  captions, list1,   list2,   list3,   list4,   label1,  label4,  comboPrinter,  richTextBox1,
      check1,  check2,   check4,  check5,  checkCloseOutSensor,       option1, option2,  option3, option4,
      option5, combo1,   combo2,  combo4,  combo5,  combo6,  combo7,  combo8,  timer3,  timer4};
  quorvel::MainWindow mainWindow{
      controls, {registry, spooler, devices, background, {skin, files, dialogs}, shell}, process, host};

  // A printer as the usbprint service records it: its Enum value and, when given, its interface's Port Number.
  void AttachPrinter(const std::string& index, const std::string& instance, std::optional<uint32_t> port = {}) {
    registry.SetString(kEnumKey, index, instance);
    if (port) {
      registry.SetDword(std::string(kClassKey) + "\\" + InterfaceKeyName(instance) + "\\#\\Device Parameters",
                        "Port Number", *port);
    }
  }

  static std::string InterfaceKeyName(const std::string& instance) {
    std::string name = "##?#" + instance + "#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    for (char& c : name) {
      if (c == '\\') c = '#';
    }
    return name;
  }

  static std::string DevicePath(const std::string& instance) {
    std::string path = "\\\\?\\" + instance + "#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    for (size_t i = 4; i < path.size(); ++i) {
      if (path[i] == '\\') path[i] = '#';
    }
    return path;
  }
};

}  // namespace test_support
