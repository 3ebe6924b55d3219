#include "driver_installer/install_check.h"

#include <algorithm>

#include "driver_installer/text_helpers.h"

namespace omblet {

bool AllInstallsEnded(const std::vector<PendingInstall>& installs) {
  return std::all_of(installs.begin(), installs.end(),
                     [](const PendingInstall& install) { return install.process.HasEnded(); });
}

std::vector<std::string> MissingPrinters(platform::Spooler& spooler, const std::vector<PendingInstall>& installs) {
  std::vector<std::string> listed;
  for (const std::string& name : spooler.ListPrinters()) listed.push_back(LowerAscii(name));
  std::vector<std::string> missing;
  for (const PendingInstall& install : installs) {
    if (std::find(listed.begin(), listed.end(), LowerAscii(install.printerName)) == listed.end()) {
      missing.push_back(install.printerName);
    }
  }
  return missing;
}

}  // namespace omblet
