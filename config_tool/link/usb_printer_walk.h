#pragma once
// The walk over the printers that the usbprint service has recorded: what the main window's discovery and the
// command-line tool both see, without any control.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/interfaces/registry.h"

namespace quorvel {

inline constexpr std::string_view kUsbprintEnumKey = "SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";
inline constexpr std::string_view kPrinterClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

// The text of a registry string value: all its characters, without the terminating NUL when it has one.
std::string RegistryText(const platform::RegistryValue& value);

// The 32-bit number of a registry value (REG_DWORD, or the low-order bytes of whatever was stored).
std::optional<uint32_t> RegistryNumber(const platform::RegistryValue& value);

// The port name Windows gives the interface with this "Port Number": USB001, USB012, USB100, USB256.
std::string PortNameFor(uint32_t portNumber);

std::string DevicePathOf(std::string_view instance);  // instance text with "#" already in place of "\"

// The usbprint Enum values looked at, in this order: the service records at most four printers.
inline constexpr std::string_view kUsbprintIndexes[] = {"0", "1", "2", "3"};

struct UsbIdentifiers {
  std::string vendor;   // four characters, in the letter case of the instance text
  std::string product;
};

// Every "VID" and "PID" tag counts, in any letter case; the last one of each wins. Nothing unless both are there.
std::optional<UsbIdentifiers> ScanUsbIdentifiers(std::string_view instance);

// One printer interface that the usbprint service recorded.
struct UsbPrinterInterface {
  std::string instance;          // the Enum value's text with "#" in place of every "\"
  std::string devicePath;        // \\?\ path that opens the interface as a file
  std::string interfaceKeyName;  // the interface's key name under the printer class key
  std::optional<UsbIdentifiers> identifiers;
};

// The instance text of Enum value `index`, "#" in place of "\"; nothing when the value is missing or no text.
std::optional<std::string> UsbprintInstance(platform::Registry& registry, std::string_view index);

// The printers of Enum values "0" to "3", in that order; a missing value is skipped.
std::vector<UsbPrinterInterface> WalkUsbprintEnum(platform::Registry& registry);

// The port name (USB001, ...) of the interface with this key name; nothing when its Port Number cannot be read.
std::optional<std::string> PrinterPortOf(platform::Registry& registry, std::string_view interfaceKeyName);

// The serial part of an instance text (USB#VID_1A86&PID_1000#SERIAL gives SERIAL); empty when it has none.
std::string SerialOf(std::string_view instance);

}  // namespace quorvel
