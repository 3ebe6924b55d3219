#pragma once
// What every command works with: where printers come from, how their device files are reached, the streams of
// the terminal or pipe it runs in, and how it waits.
#include <functional>
#include <iosfwd>
#include <memory>

#include "cli/attached_printer.h"
#include "cli/open_failure_text.h"
#include "cli/settings_session.h"
#include "platform/interfaces/printer_device.h"
#include "platform/interfaces/text_codec.h"

namespace ctl {

struct Io {
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  bool errIsTerminal = false;  // progress lines go there
  bool inIsTerminal = false;   // a question can be answered there
};

// Signals that would end the program (Ctrl-C, SIGTERM, a dropped session). Once a printer is held they are only
// noted, so that the transfer in flight ends, the printer is given back to its driver and the user is told what
// was done.
class SignalShield {
 public:
  virtual ~SignalShield() = default;
  // From now to the end of the program signals are noted, not obeyed. Called before every printer is opened.
  virtual void Raise() = 0;
  virtual bool Requested() const = 0;
};

struct CtlContext {
  PrinterSource& source;
  platform::PrinterDevices& devices;
  platform::TextCodec& codec;
  HostSystem host;
  Io io;
  Pause pause;
  SignalShield* shield = nullptr;  // none: signals end the program as they always do
};

// Whether a signal asks the command to stop; empty without a shield.
StopCheck StopCheckOf(const CtlContext& context);

}  // namespace ctl
