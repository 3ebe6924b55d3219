#pragma once
// quorvelctl's subcommands, one file each. Each adds itself to the program's command line and hands back what
// runs it once the command line has been read.
#include <functional>

#include <CLI/CLI.hpp>

#include "cli/ctl_context.h"

namespace ctl {

struct Command {
  CLI::App* app = nullptr;
  std::function<int()> run;
};

Command AddListCommand(CLI::App& program, CtlContext& context);
Command AddReadCommand(CLI::App& program, CtlContext& context);
Command AddSetCommand(CLI::App& program, CtlContext& context);
Command AddSaveCommand(CLI::App& program, CtlContext& context);
Command AddApplyCommand(CLI::App& program, CtlContext& context);
Command AddSelftestCommand(CLI::App& program, CtlContext& context);
Command AddSendCommand(CLI::App& program, CtlContext& context);
Command AddFirmwareCommand(CLI::App& program, CtlContext& context);

}  // namespace ctl
