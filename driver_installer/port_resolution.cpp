#include "driver_installer/port_resolution.h"

#include <cstdio>

#include "driver_installer/text_helpers.h"

namespace omblet {
namespace {

std::string InterfaceClassKey() { return std::string(kDeviceClassesKey) + std::string(kUsbPrinterClass); }

// Registry texts keep whatever terminator they were stored with; the text ends at the first NUL.
std::string CutAtNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

}  // namespace

std::string UsbPortName(uint32_t portNumber) {
  char name[16];
  std::snprintf(name, sizeof(name), "USB%03u", static_cast<unsigned>(portNumber));
  return name;
}

void PortResolver::ListPrinterInterfaceKeys() {
  state_.interfaceKeyNames.clear();
  std::optional<std::vector<std::string>> names = registry_.ListSubkeys(InterfaceClassKey());
  if (!names) return;
  for (const std::string& name : *names) {
    if (state_.interfaceKeyNames.size() >= kMaxInterfaceKeys) break;
    state_.interfaceKeyNames.push_back(CutAtNul(name));
  }
}

std::optional<uint32_t> PortResolver::ReadPortNumber(std::string_view interfaceKeyName) {
  std::string key = InterfaceClassKey() + "\\" + std::string(interfaceKeyName) + "\\#\\Device Parameters";
  std::optional<platform::RegistryValue> value = registry_.ReadValue(key, "Port Number");
  if (!value || value->data.empty()) return std::nullopt;
  uint32_t number = 0;
  for (size_t i = 0; i < value->data.size() && i < 4; ++i) number |= static_cast<uint32_t>(value->data[i]) << (8 * i);
  return number;
}

std::string PortResolver::ReadUsbprintEnum(std::string_view index) {
  std::optional<platform::RegistryValue> value = registry_.ReadValue(kUsbprintEnumKey, index);
  if (!value) {
    state_.enumReadFailed = kEnumReadFailedMark;
    return {};
  }
  state_.enumReadFailed = 0;
  std::string text = CutAtNul(std::string_view(reinterpret_cast<const char*>(value->data.data()), value->data.size()));
  for (char& c : text) {
    if (c == '\\') c = '#';
  }
  return text;
}

// Some usbprint Enum value "0" to "9" names the interface's device instance. A missing value, or an empty one,
// names nothing: the numbering may have gaps, so the search goes on to "9".
bool PortResolver::ServedByUsbprint(std::string_view interfaceKeyName) {
  const std::string name = LowerAscii(interfaceKeyName);
  for (char digit = '0'; digit <= '9'; ++digit) {
    std::string instance = ReadUsbprintEnum(std::string_view(&digit, 1));
    if (state_.enumReadFailed != 0 || instance.empty()) continue;
    if (name.find(LowerAscii(instance)) != std::string::npos) return true;
  }
  return false;
}

void PortResolver::ResolvePrinterPort() {
  state_.portName = std::string(kNoPortFound);
  ListPrinterInterfaceKeys();
  for (const std::string& name : state_.interfaceKeyNames) {
    // "##?#USB#VID_" comes first, so the vendor stands at characters 13 to 16.
    std::string_view vendor = Mid(name, 12, 4);
    if (vendor != "1A86" && vendor != "1a86") continue;
    std::optional<uint32_t> portNumber = ReadPortNumber(name);
    if (!portNumber || !ServedByUsbprint(name)) continue;
    state_.portName = UsbPortName(*portNumber);
    return;
  }
}

}  // namespace omblet
