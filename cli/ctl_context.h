#pragma once
// What every command works with: where printers come from, how their device files are reached, the streams of
// the terminal or pipe it runs in, and how it waits.
#include <iosfwd>

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

struct CtlContext {
  PrinterSource& source;
  platform::PrinterDevices& devices;
  platform::TextCodec& codec;
  HostSystem host;
  Io io;
  Pause pause;
};

}  // namespace ctl
