#include "driver_installer/usb_detection.h"

#include <array>
#include <string>

#include "driver_installer/model_table.h"
#include "driver_installer/text_helpers.h"

namespace omblet {
namespace {

constexpr std::string_view kWaitingText = "正在查询USB打印机，请确认打印机是否处于打开状态:";
constexpr std::string_view kMassStorageText = "目前打印在U盘模式下，请重启打印机";
constexpr std::string_view kWmiFailedText = "无法通过WMI查询USB设备，稍后重试";

// What one device text has shown so far. Vendor and product must come from the same device: a USB-serial
// adapter with the same chip vendor plus another device whose product happens to be in the table is no printer.
struct DeviceFlags {
  bool vendor0483 = false;
  bool pid5720 = false;
  bool vendor1A86 = false;
  bool modelMatched = false;
};

enum class Walk { Continue, ScanOver };

void TakeRow(const ModelRow& row, const DetectionTargets& targets) {
  targets.state.modelName = std::string(row.modelName);
  if (!row.captionSuffix.empty()) {
    targets.window.SetCaption(targets.window.Caption() + std::string(row.captionSuffix));
  }
  if (row.noInvoiceDriver) targets.state.noInvoiceDriver = true;
}

Walk WalkDevice(std::string_view text, const DetectionTargets& targets) {
  DeviceFlags flags;
  const size_t end = text.size();
  for (size_t i = 0; i < end; ++i) {
    std::string_view tag = Mid(text, i, 3);
    if (tag == "VID" && Mid(text, i + 4, 4) == "0483") {
      flags.vendor0483 = true;
    } else if (tag == "PID" && Mid(text, i + 4, 4) == "5720") {
      flags.pid5720 = true;
    }
    if (flags.vendor0483 && flags.pid5720) {
      targets.progress.SetText(kMassStorageText);
      return Walk::ScanOver;
    }
    if (tag == "VID") {
      i += 4;
      if (Mid(text, i, 4) == "1A86") flags.vendor1A86 = true;
      continue;
    }
    if (tag != "PID") continue;
    i += 4;
    if (!flags.vendor1A86) continue;  // a product counts only after this device's own vendor 1A86
    std::string_view pid = Mid(text, i, 4);
    if (const ModelRow* row = FindModel(pid)) {
      TakeRow(*row, targets);
      flags.modelMatched = true;
    }
    targets.window.Repaint();
    if (!flags.modelMatched) continue;
    targets.state.printerFound = true;
    targets.state.detectedDevice = std::string(text);
    if (std::optional<InvoiceDriverClass> chosen = ChooseInvoiceClass(pid)) {
      targets.state.invoiceDriverClass = *chosen;
      return Walk::ScanOver;
    }
  }
  return Walk::Continue;
}

}  // namespace

std::optional<InvoiceDriverClass> ChooseInvoiceClass(std::string_view pid) {
  constexpr std::array<std::string_view, 5> kClassS = {"6591", "6593", "65A3", "65A4", "5588"};
  constexpr std::array<std::string_view, 7> kClassN = {"758F", "6590", "6592", "65A1", "65A2", "9585", "4587"};
  for (std::string_view s : kClassS) {
    if (pid == s) return InvoiceDriverClass::S;
  }
  for (std::string_view n : kClassN) {
    if (pid == n) return InvoiceDriverClass::N;
  }
  std::string_view last = Mid(pid, 3, 1);
  if (last == "E" || last == "5") return InvoiceDriverClass::S;
  if (last == "7" || last == "6") return InvoiceDriverClass::N;
  if (last == "A" || last == "8" || last == "B" || last == "C") return InvoiceDriverClass::SJZ;
  return std::nullopt;
}

void DetectUsbPrinter(platform::Wmi& wmi, const DetectionTargets& targets) {
  std::optional<std::vector<std::string>> devices = wmi.QueryProperty(kUsbDeviceQuery, kUsbDeviceProperty);
  if (!devices) {
    // The next tick tries again.
    targets.device.SetText(kWmiFailedText);
    return;
  }
  InstallerState& state = targets.state;
  for (const std::string& text : *devices) {
    state.scanCounter = static_cast<int16_t>(state.scanCounter + 1);
    if (state.scanCounter > 99) state.scanCounter = 0;
    targets.progress.SetText(std::string(kWaitingText) + std::to_string(state.scanCounter) + "s");
    targets.window.Repaint();
    targets.device.SetText(text);
    if (WalkDevice(text, targets) == Walk::ScanOver) return;
  }
}

}  // namespace omblet
