#pragma once
// quorvelctl's command line: reads the arguments, runs the one subcommand named, returns the exit code.
#include "cli/ctl_context.h"

namespace ctl {

inline constexpr const char* kVersion = "1.0.0";

// `argv` is UTF-8 on every system.
int RunCtl(int argc, const char* const* argv, CtlContext& context);

}  // namespace ctl
