#include "cli/ctl_app.h"

#include <ostream>

#include "cli/commands/commands.h"

namespace ctl {
namespace {

// Every printer any command opens is opened here: the shield goes up first, so that from the moment a printer may
// be held to the end, a signal ends the work at its next step and the printer is given back.
class ShieldedDevices : public platform::PrinterDevices {
 public:
  ShieldedDevices(platform::PrinterDevices& devices, SignalShield* shield) : devices_(devices), shield_(shield) {}
  std::unique_ptr<platform::PrinterConnection> Open(std::string_view path, platform::OpenFailure& failure) override {
    if (shield_) shield_->Raise();
    return devices_.Open(path, failure);
  }

 private:
  platform::PrinterDevices& devices_;
  SignalShield* shield_;
};

int RunCommands(int argc, const char* const* argv, CtlContext& context) {
  CLI::App program("quorvelctl: configure USB thermal label and receipt printers from scripts.", "quorvelctl");
  program.set_version_flag("--version", std::string("quorvelctl ") + kVersion);
  program.require_subcommand(1);
  program.footer(
      "Exit codes: 0 done; 1 usage; 2 no such printer; 3 the printer did not answer or the device failed; "
      "4 the read-back differs from what was written; 5 a bad file or profile; 6 stopped by a signal, the printer "
      "given back (the message says what was done).\n"
      "'quorvelctl COMMAND --help' describes each command; 'man quorvelctl' all of them.");

  const Command commands[] = {
      AddListCommand(program, context),     AddReadCommand(program, context),
      AddSetCommand(program, context),      AddSaveCommand(program, context),
      AddApplyCommand(program, context),    AddSelftestCommand(program, context),
      AddSendCommand(program, context),     AddFirmwareCommand(program, context),
  };

  try {
    program.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // Help and version end well; everything else the parser refuses is a usage error.
    const int code = program.exit(error, context.io.out, context.io.err);
    return code == 0 ? kDone : kUsage;
  }
  for (const Command& command : commands) {
    if (command.app->parsed()) {
      const int code = command.run();
      // Output that did not arrive (a full disk, a closed pipe) is a failure the script must hear of.
      if (!context.io.out.flush()) {
        context.io.err << "quorvelctl: writing to standard output failed\n";
        return code == kDone ? kUsage : code;
      }
      return code;
    }
  }
  return kUsage;
}

}  // namespace

StopCheck StopCheckOf(const CtlContext& context) {
  if (!context.shield) return {};
  return [shield = context.shield] { return shield->Requested(); };
}

int RunCtl(int argc, const char* const* argv, CtlContext& context) {
  ShieldedDevices devices(context.devices, context.shield);
  CtlContext shielded{context.source, devices, context.codec, context.host, context.io, context.pause, context.shield};
  return RunCommands(argc, argv, shielded);
}

}  // namespace ctl
