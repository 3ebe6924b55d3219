#pragma once
// Several printers at the same time: each gets a thread of its own, so four take about as long as one.
#include <functional>
#include <string>
#include <vector>

#include "cli/settings_session.h"

namespace ctl {

// Runs `work` for every device at once and returns the outcomes in the order of `devices`. A run that throws
// comes back as a failed outcome of its device.
std::vector<SetOutcome> RunForEach(const std::vector<std::string>& devices,
                                   const std::function<SetOutcome(const std::string&)>& work);

// The exit code of the first printer that failed, in the order given; kDone when none did.
ExitCode FirstFailure(const std::vector<SetOutcome>& outcomes);

}  // namespace ctl
