#include "driver_installer/install_check.h"

#include "driver_installer/text_helpers.h"

namespace omblet {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The spooler lists a printer's ports separated by commas.
bool OnPort(std::string_view portList, std::string_view portName) {
  const std::string wanted = LowerAscii(portName);
  for (size_t start = 0; start <= portList.size();) {
    size_t comma = portList.find(',', start);
    if (comma == std::string_view::npos) comma = portList.size();
    if (LowerAscii(Trimmed(portList.substr(start, comma - start))) == wanted) return true;
    start = comma + 1;
  }
  return false;
}

}  // namespace

std::vector<std::string> PrintersNotInstalled(platform::Spooler& spooler, const std::vector<PendingInstall>& installs,
                                              std::string_view portName) {
  std::vector<std::string> notInstalled;
  for (const PendingInstall& install : installs) {
    const std::string& name = install.printerName;
    std::optional<platform::PrinterSetup> setup = spooler.FindPrinter(name);
    if (!setup) {
      notInstalled.push_back(name);
    } else if (!OnPort(setup->portName, portName)) {
      notInstalled.push_back(name + "（端口 " + setup->portName + "）");
    } else if (LowerAscii(setup->driverName) != LowerAscii(name)) {
      notInstalled.push_back(name + "（驱动 " + setup->driverName + "）");
    }
  }
  return notInstalled;
}

}  // namespace omblet
