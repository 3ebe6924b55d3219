#pragma once
// After the countdown: is each printer that was asked for installed as it was asked for?
#include <string>
#include <string_view>
#include <vector>

#include "driver_installer/install_queue.h"
#include "platform/interfaces/spooler.h"

namespace omblet {

// The printers asked for that are not installed as asked, in the order they were asked for: unknown to the
// spooler, on a port other than `portName`, or with a driver other than their own model (the driver model name
// is the printer name). A printer of that name left from an earlier install, or one on the wrong port, does not
// count. Each is named with what was found instead. Names, ports and drivers do not depend on letter case.
std::vector<std::string> PrintersNotInstalled(platform::Spooler& spooler, const std::vector<PendingInstall>& installs,
                                              std::string_view portName);

}  // namespace omblet
