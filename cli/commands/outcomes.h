#pragma once
// How `set` and `apply` end: one line per printer, and with --dry-run the batch each would get.
#include <vector>

#include "cli/ctl_context.h"
#include "cli/parallel_runs.h"

namespace ctl {

// Runs `request` on every chosen printer at the same time, prints the outcome lines (or with `json` one JSON object
// per printer and line, on standard output) and returns the exit code.
int SetOnPrinters(CtlContext& context, const std::vector<AttachedPrinter>& printers, const SetRequest& request,
                  bool json = false);

// device, exit_code, outcome ("done", "usage", "no_printer", "device_failed", "read_back_differs",
// "bad_file", "stopped"), message, differences, and the batch's lines when it got that far.
Json OutcomeJson(const SetOutcome& outcome);

}  // namespace ctl
