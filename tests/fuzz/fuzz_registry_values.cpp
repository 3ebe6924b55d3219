// Registry values of any type and length, as discovery reads texts and port numbers from them.
#include "config_tool/link/printer_discovery.h"
#include "driver_installer/port_resolution.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  platform::RegistryValue value;
  value.type = static_cast<platform::RegistryType>(input.Byte() % 8);
  std::string_view rest = input.Rest();
  value.data.assign(rest.begin(), rest.end());

  const std::string text = quorvel::RegistryText(value);
  fuzz::Expect(text.size() <= value.data.size());
  if (auto number = quorvel::RegistryNumber(value)) {
    const std::string port = quorvel::PortNameFor(*number);
    fuzz::Expect(port.rfind("USB", 0) == 0 && port.size() >= 6 && port.size() <= 13);
    fuzz::Expect(port == omblet::UsbPortName(*number));  // both programs name a port alike
  }
  return 0;
}
