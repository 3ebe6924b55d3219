// Any usbprint Enum values and Port Numbers: the tool's discovery and the installer's port resolution.
#include "driver_installer/port_resolution.h"
#include "platform/fakes/fake_registry.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/unit/main_window_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  test_support::MainWindowFixture tool;
  fakes::FakeRegistry& registry = tool.registry;
  for (int index = 0; !input.Empty() && index < 12; ++index) {
    const uint8_t kind = input.Byte();
    const std::string name = kind & 0x80 ? std::to_string(index) : std::string(1, static_cast<char>('0' + kind % 10));
    const std::string instance = input.Line();
    if (kind & 1) {
      registry.SetRaw(test_support::kEnumKey, name,
                      {static_cast<platform::RegistryType>(kind % 8), std::vector<uint8_t>(instance.begin(), instance.end())});
    } else {
      registry.SetString(test_support::kEnumKey, name, instance);
    }
    const std::string interfaceKey = std::string(test_support::kClassKey) + "\\" +
                                     test_support::MainWindowFixture::InterfaceKeyName(instance);
    if (kind & 2) registry.SetDword(interfaceKey + "\\#\\Device Parameters", "Port Number", input.Number());
    if (kind & 4) registry.AddKey(interfaceKey);
  }
  tool.mainWindow.Load();
  tool.mainWindow.OnCommand8Click();
  fuzz::Expect(tool.list4.Count() <= 12);

  omblet::InstallerState state;
  omblet::PortResolver resolver(registry, state);
  resolver.ResolvePrinterPort();
  fuzz::Expect(state.portName == "lpt1:" || state.portName.rfind("USB", 0) == 0);
  return 0;
}
