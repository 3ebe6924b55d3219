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

std::string DeviceInstanceOf(std::string_view wmiDeviceText) {
  constexpr std::string_view kDeviceId = "DeviceID=\"";
  size_t start = wmiDeviceText.find(kDeviceId);
  if (start == std::string_view::npos) return {};
  start += kDeviceId.size();
  size_t end = wmiDeviceText.find('"', start);
  std::string_view escaped = wmiDeviceText.substr(start, end == std::string_view::npos ? end : end - start);
  std::string instance;
  for (size_t i = 0; i < escaped.size(); ++i) {
    instance += escaped[i];
    if (escaped[i] == '\\' && i + 1 < escaped.size() && escaped[i + 1] == '\\') ++i;
  }
  return instance;
}

namespace {

// How well an interface key fits the detected device: 0 its own interface, 1 same vendor and product, 2 other.
int Fit(std::string_view keyName, std::string_view instance) {
  std::string key = LowerAscii(keyName);
  std::string wanted = "#" + LowerAscii(instance) + "#{";
  for (char& c : wanted) {
    if (c == '\\') c = '#';
  }
  if (key.find(wanted) != std::string::npos) return 0;
  // "#usb#vid_1a86&pid_600e" and what follows it: "#" or a composite device's "&mi_00".
  size_t bus = wanted.find('#', 1);
  size_t product = bus == std::string::npos ? bus : wanted.find('#', bus + 1);
  if (product != std::string::npos && key.find(wanted.substr(0, product)) != std::string::npos) return 1;
  return 2;
}

}  // namespace

void PortResolver::ResolvePrinterPort() {
  state_.portName = std::string(kNoPortFound);
  ListPrinterInterfaceKeys();
  const std::string instance = DeviceInstanceOf(state_.detectedDevice);
  int bestFit = 3;
  for (const std::string& name : state_.interfaceKeyNames) {
    // "##?#USB#VID_" comes first, so the vendor stands at characters 13 to 16.
    std::string_view vendor = Mid(name, 12, 4);
    if (vendor != "1A86" && vendor != "1a86") continue;
    const int fit = instance.empty() ? 0 : Fit(name, instance);
    if (fit >= bestFit) continue;
    std::optional<uint32_t> portNumber = ReadPortNumber(name);
    if (!portNumber || !ServedByUsbprint(name)) continue;
    state_.portName = UsbPortName(*portNumber);
    bestFit = fit;
    if (fit == 0) return;
  }
}

}  // namespace omblet
