#include "config_tool/link/usb_printer_walk.h"

#include <cstdio>

#include "config_tool/shared_state.h"
#include "config_tool/text_util.h"

namespace quorvel {

std::string RegistryText(const platform::RegistryValue& value) {
  // A text ends at its first NUL, as every reader of the registry takes it; one stored without any keeps all.
  std::string text(value.data.begin(), value.data.end());
  if (size_t end = text.find('\0'); end != std::string::npos) text.resize(end);
  return text;
}

std::optional<uint32_t> RegistryNumber(const platform::RegistryValue& value) {
  if (value.data.empty()) return std::nullopt;
  uint32_t number = 0;
  for (size_t i = 0; i < value.data.size() && i < 4; ++i) number |= static_cast<uint32_t>(value.data[i]) << (8 * i);
  return number;
}

std::string PortNameFor(uint32_t portNumber) {
  char name[16];
  std::snprintf(name, sizeof(name), "USB%03u", static_cast<unsigned>(portNumber));
  return name;
}

std::string DevicePathOf(std::string_view instance) {
  return "\\\\?\\" + std::string(instance) + "#" + std::string(kUsbPrinterClass);
}

std::optional<UsbIdentifiers> ScanUsbIdentifiers(std::string_view instance) {
  UsbIdentifiers found;
  bool vendorFound = false, productFound = false;
  const std::string upper = ToUpperAscii(instance);
  for (size_t p = 0; p < upper.size(); ++p) {
    std::string_view tag = Mid(upper, p, 3);
    if (tag == "VID") {
      found.vendor = std::string(Mid(instance, p + 4, 4));
      vendorFound = true;
    } else if (tag == "PID") {
      found.product = std::string(Mid(instance, p + 4, 4));
      productFound = true;
    }
  }
  if (!vendorFound || !productFound) return std::nullopt;
  return found;
}

std::optional<std::string> UsbprintInstance(platform::Registry& registry, std::string_view index) {
  std::optional<platform::RegistryValue> value = registry.ReadValue(kUsbprintEnumKey, index);
  // A value that is not a text names no device: it would show as a device path of raw bytes.
  const bool isText = value && (value->type == platform::RegistryType::String ||
                                value->type == platform::RegistryType::ExpandString);
  if (!isText) return std::nullopt;
  return ReplaceAll(RegistryText(*value), '\\', '#');
}

std::vector<UsbPrinterInterface> WalkUsbprintEnum(platform::Registry& registry) {
  std::vector<UsbPrinterInterface> found;
  for (std::string_view index : kUsbprintIndexes) {
    std::optional<std::string> instance = UsbprintInstance(registry, index);
    if (!instance) continue;
    UsbPrinterInterface printer;
    printer.instance = *instance;
    printer.devicePath = DevicePathOf(*instance);
    printer.interfaceKeyName = "##?#" + *instance + "#" + std::string(kUsbPrinterClass);
    printer.identifiers = ScanUsbIdentifiers(*instance);
    found.push_back(std::move(printer));
  }
  return found;
}

std::optional<std::string> PrinterPortOf(platform::Registry& registry, std::string_view interfaceKeyName) {
  std::string key = std::string(kPrinterClassKey) + "\\" + std::string(interfaceKeyName) + "\\#\\Device Parameters";
  std::optional<platform::RegistryValue> value = registry.ReadValue(key, "Port Number");
  std::optional<uint32_t> number = value ? RegistryNumber(*value) : std::nullopt;
  if (!number) return std::nullopt;
  return PortNameFor(*number);
}

std::string SerialOf(std::string_view instance) {
  // USB#VID_xxxx&PID_xxxx#SERIAL: the part after the second "#".
  size_t first = instance.find('#');
  if (first == std::string_view::npos) return {};
  size_t second = instance.find('#', first + 1);
  if (second == std::string_view::npos) return {};
  return std::string(instance.substr(second + 1));
}

}  // namespace quorvel
