#pragma once
// Finds the virtual printer port (USB001, ...) that the USB printing class driver gave the detected printer.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "driver_installer/installer_state.h"
#include "platform/interfaces/registry.h"

namespace omblet {

inline constexpr std::string_view kUsbPrinterClass = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
inline constexpr std::string_view kDeviceClassesKey = "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\";
inline constexpr std::string_view kUsbprintEnumKey = "SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";
inline constexpr std::string_view kNoPortFound = "lpt1:";
inline constexpr size_t kMaxInterfaceKeys = 10000;

class PortResolver {
 public:
  PortResolver(platform::Registry& registry, InstallerState& state) : registry_(registry), state_(state) {}

  // Leaves in state.portName the port of the detected printer's own interface: the interface of the device
  // instance that detection found, else one of the same vendor and product (a composite device's printer
  // function), else the first accepted interface key; "lpt1:" when no key is accepted. With two printers
  // attached, the first key may well belong to the other one.
  void ResolvePrinterPort();

  // Refills state.interfaceKeyNames with the subkeys of the USB printer interface class key.
  void ListPrinterInterfaceKeys();

  // The whole "Port Number" of an interface, or nothing when its key or value cannot be read.
  std::optional<uint32_t> ReadPortNumber(std::string_view interfaceKeyName);

  // The device instance named by usbprint Enum value `index`, with "#" for every backslash; empty when the
  // value cannot be read. Sets state.enumReadFailed either way.
  std::string ReadUsbprintEnum(std::string_view index);

 private:
  bool ServedByUsbprint(std::string_view interfaceKeyName);

  platform::Registry& registry_;
  InstallerState& state_;
};

// "USB" and the port number with at least three digits.
std::string UsbPortName(uint32_t portNumber);

// The device instance that a WMI device text names (USB\VID_1A86&PID_600E\5&1 from
// ...Win32_PnPEntity.DeviceID="USB\\VID_1A86&PID_600E\\5&1"); empty when it names none.
std::string DeviceInstanceOf(std::string_view wmiDeviceText);

}  // namespace omblet
