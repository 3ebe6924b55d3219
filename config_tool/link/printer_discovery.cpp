#include "config_tool/link/printer_discovery.h"

#include <cstdio>

#include "config_tool/params/model_identity_data.h"
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

void PrinterDiscovery::FindPrinters() {
  controls_.list3.Clear();
  controls_.richTextBox1.SetText(ByLanguage(process_, "寻找打印机..", "Find printers.."));
  controls_.list4.Clear();
  controls_.list3.Clear();
  fields_.detectedInterfaceRow = -1;

  for (std::string_view index : {"0", "1", "2", "3"}) {
    std::string instance = QueryUsbprintInstance(index);
    if (fields_.instanceMissing) continue;

    fields_.devicePath = DevicePathOf(instance);
    controls_.list4.Add(fields_.devicePath);
    fields_.interfaceKeyName = "##?#" + instance + "#" + std::string(kUsbPrinterClass);

    // Every "VID" and "PID" tag counts, in any letter case; the last one of each wins.
    std::string vendor, product;
    bool vendorFound = false, productFound = false;
    const std::string upper = ToUpperAscii(instance);
    for (size_t p = 0; p < upper.size(); ++p) {
      std::string_view tag = Mid(upper, p, 3);
      if (tag == "VID") {
        vendor = std::string(Mid(instance, p + 4, 4));
        vendorFound = true;
      } else if (tag == "PID") {
        product = std::string(Mid(instance, p + 4, 4));
        productFound = true;
      }
    }
    if (vendorFound && productFound) {
      IdentifyModel(product, vendor, fields_, IdentityControls());
      fields_.detectedInterfaceRow = controls_.list3.Count() > 0 ? controls_.list4.Count() - 1 : -1;
    }
  }

  controls_.window.Repaint();
  if (controls_.list4.Count() > 0) {
    ShowPrinterPort();
  } else {
    controls_.label4.SetText("");
  }
  ListBrandPrinters();
}

std::string PrinterDiscovery::QueryUsbprintInstance(std::string_view index) {
  fields_.instanceMissing = false;
  std::optional<platform::RegistryValue> value = registry_.ReadValue(kUsbprintEnumKey, index);
  // A value that is not a text names no device: it would show as a device path of raw bytes.
  const bool isText = value && (value->type == platform::RegistryType::String ||
                                value->type == platform::RegistryType::ExpandString);
  if (!isText) {
    fields_.instanceMissing = true;
    return {};
  }
  return ReplaceAll(RegistryText(*value), '\\', '#');
}

void PrinterDiscovery::ShowPrinterPort() {
  std::string key = std::string(kPrinterClassKey) + "\\" + fields_.interfaceKeyName + "\\#\\Device Parameters";
  std::optional<platform::RegistryValue> value = registry_.ReadValue(key, "Port Number");
  std::optional<uint32_t> number = value ? RegistryNumber(*value) : std::nullopt;
  controls_.label4.SetText(number ? PortNameFor(*number) : "");
}

void PrinterDiscovery::ListBrandPrinters() {
  controls_.comboPrinter.Clear();
  for (const std::string& name : spooler_.ListPrinters()) {
    for (std::string_view brand : kBrandWords) {
      if (std::string_view(name).starts_with(brand)) {
        controls_.comboPrinter.Add(name);
        controls_.comboPrinter.Select(0);
        break;
      }
    }
  }
}

// The detected list holds the model of one printer: make that printer's interface the current one.
void PrinterDiscovery::OnDetectedListClick(int row) {
  if (row < 0 || row >= controls_.list3.Count()) return;
  controls_.label1.SetText(controls_.list3.Item(row));
  int interfaceRow = fields_.detectedInterfaceRow >= 0 ? fields_.detectedInterfaceRow : row;
  if (interfaceRow >= controls_.list4.Count()) return;
  controls_.list4.Select(interfaceRow);
  fields_.devicePath = controls_.list4.Item(interfaceRow);
  fields_.interfaceKeyName = ReplaceAll(fields_.devicePath, '\\', '#');
  ShowPrinterPort();
}

}  // namespace quorvel
