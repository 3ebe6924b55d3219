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

// While it lives, a signal that would end the program (Ctrl-C, SIGTERM, a dropped session) is only noted, so
// that the work in flight can end in a state the user is told about.
class SignalShield {
 public:
  virtual ~SignalShield() = default;
  virtual bool Requested() const = 0;
};
using ShieldSignals = std::function<std::unique_ptr<SignalShield>()>;

struct CtlContext {
  PrinterSource& source;
  platform::PrinterDevices& devices;
  platform::TextCodec& codec;
  HostSystem host;
  Io io;
  Pause pause;
  ShieldSignals shieldSignals = {};  // none: signals end the program as they always do
};

}  // namespace ctl
