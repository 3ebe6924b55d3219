#pragma once
// quorvelctl's command line: reads the arguments, runs the one subcommand named, returns the exit code.
#include "cli/ctl_context.h"

namespace ctl {

// The project's version, set in one place: the top CMakeLists.txt.
inline constexpr const char* kVersion = QUORVELCTL_VERSION;

// `argv` is UTF-8 on every system.
int RunCtl(int argc, const char* const* argv, CtlContext& context);

}  // namespace ctl
