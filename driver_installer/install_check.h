#pragma once
// After the countdown: have the install programs ended, and does the spooler now list each printer?
#include <string>
#include <vector>

#include "driver_installer/install_command.h"
#include "platform/interfaces/spooler.h"

namespace omblet {

bool AllInstallsEnded(const std::vector<PendingInstall>& installs);

// The printers asked for that the spooler does not list, in the order they were asked for. Windows printer
// names do not depend on letter case.
std::vector<std::string> MissingPrinters(platform::Spooler& spooler, const std::vector<PendingInstall>& installs);

}  // namespace omblet
