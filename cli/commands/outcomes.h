#pragma once
// How `set` and `apply` end: one line per printer, and with --dry-run the batch each would get.
#include <vector>

#include "cli/ctl_context.h"
#include "cli/parallel_runs.h"

namespace ctl {

// Runs `request` on every chosen printer at the same time, prints the outcome lines and returns the exit code.
int SetOnPrinters(CtlContext& context, const std::vector<AttachedPrinter>& printers, const SetRequest& request);

}  // namespace ctl
