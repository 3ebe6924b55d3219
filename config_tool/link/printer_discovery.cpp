#include "config_tool/link/printer_discovery.h"

#include "config_tool/params/model_identity_data.h"
#include "config_tool/text_util.h"

namespace quorvel {

void PrinterDiscovery::FindPrinters() {
  controls_.list3.Clear();
  controls_.richTextBox1.SetText(ByLanguage(process_, "寻找打印机..", "Find printers.."));
  controls_.list4.Clear();
  controls_.list3.Clear();
  fields_.detectedInterfaceRow = -1;

  for (const UsbPrinterInterface& found : WalkUsbprintEnum(registry_)) {
    fields_.devicePath = found.devicePath;
    controls_.list4.Add(fields_.devicePath);
    fields_.interfaceKeyName = found.interfaceKeyName;
    if (found.identifiers) {
      IdentifyModel(found.identifiers->product, found.identifiers->vendor, fields_, IdentityControls());
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

void PrinterDiscovery::ShowPrinterPort() {
  controls_.label4.SetText(PrinterPortOf(registry_, fields_.interfaceKeyName).value_or(""));
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
