#pragma once
// The values the installer window holds while it runs, shared by detection, port resolution and install.
#include <cstdint>
#include <string>
#include <vector>

namespace omblet {

enum class InvoiceDriverClass { Unset, S, N, SJZ };

struct InstallerState {
  // The flow's counters.
  int16_t delayTicks = 0;
  int16_t delayLimit = 5;
  int16_t countdownLine = 0;
  int16_t closeTicks = 0;

  // Detection.
  int16_t scanCounter = 0;
  bool printerFound = false;
  bool noInvoiceDriver = false;  // once set, stays set for the rest of the run
  std::string modelName;
  std::string detectedDevice;  // the WMI device text of the printer that was found
  InvoiceDriverClass invoiceDriverClass = InvoiceDriverClass::Unset;

  // Port resolution.
  std::string portName;
  int32_t enumReadFailed = 0;  // 88888 after a failed usbprint Enum read, 0 after a successful one
  std::vector<std::string> interfaceKeyNames;
};

inline constexpr int32_t kEnumReadFailedMark = 88888;

}  // namespace omblet
