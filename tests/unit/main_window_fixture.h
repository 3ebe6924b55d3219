#pragma once
// The main window's core on fakes: every control and service a test may look at.
#include "config_tool/main_window/main_window.h"
#include "platform/fakes/fake_controls.h"
#include "platform/fakes/fake_registry.h"
#include "platform/fakes/fake_services.h"

namespace test_support {

inline constexpr const char* kEnumKey = "SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";
inline constexpr const char* kClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

struct MainWindowFixture {
  fakes::FakeWindow window;
  fakes::FakeLabel frame4, frame5, frame6, frame7, frame12, label1, label4;
  fakes::FakeListBox list2, list3, list4;
  fakes::FakeComboBox comboPrinter;
  fakes::FakeRichText richTextBox1;
  fakes::FakeCheckBox check4;
  fakes::FakeRegistry registry;
  fakes::FakeSpooler spooler;
  quorvel::ProcessState process;

  quorvel::MainWindowControls controls{window, frame4, frame5,       frame6,       frame7, frame12, list2,
                                       list3,  list4,  label1,       label4,       comboPrinter,   richTextBox1,
                                       check4};
  quorvel::MainWindow mainWindow{controls, {registry, spooler}, process};

  // A printer as the usbprint service records it: its Enum value and, when given, its interface's Port Number.
  void AttachPrinter(const std::string& index, const std::string& instance, std::optional<uint32_t> port = {}) {
    registry.SetString(kEnumKey, index, instance);
    if (port) {
      std::string keyName = "##?#" + instance + "#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
      for (char& c : keyName) {
        if (c == '\\') c = '#';
      }
      registry.SetDword(std::string(kClassKey) + "\\" + keyName + "\\#\\Device Parameters", "Port Number", *port);
    }
  }
};

}  // namespace test_support
